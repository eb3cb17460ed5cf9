#include "JpegWriter.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <jpeglib.h>

namespace DataGen {
namespace {

// libjpeg's error handler must not return; ours jumps back to Compress,
// which holds no C++ objects between its setjmp and the libjpeg calls.
struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void OnJpegError(j_common_ptr info)
{
    auto* error = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, error->message);
    std::longjmp(error->jump, 1);
}

// Everything libjpeg touches lives here, outside Compress's frame, so it is
// still valid after a jump back.
struct JpegJob {
    jpeg_compress_struct info{};
    JpegError error{};
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
};

bool Compress(JpegJob& job, const std::vector<unsigned char>& rgb, int width, int height, int quality)
{
    jpeg_compress_struct& info = job.info;
    info.err = jpeg_std_error(&job.error.manager);
    job.error.manager.error_exit = OnJpegError;
    if (setjmp(job.error.jump) != 0) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &job.bytes, &job.size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.dct_method = JDCT_ISLOW;
    for (int c = 0; c < 3; ++c) {  // full colour resolution: the figures have thin coloured lines
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    const auto rowBytes = static_cast<std::size_t>(width) * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(rgb.data() + info.next_scanline * rowBytes);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const PixelImage& image, int quality)
{
    std::vector<unsigned char> rgb;
    rgb.reserve(static_cast<std::size_t>(image.Width()) * static_cast<std::size_t>(image.Height()) * 3);
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const Rgb& p = image.At(x, y);
            rgb.insert(rgb.end(), {p.r, p.g, p.b});
        }
    JpegJob job;
    const bool ok = Compress(job, rgb, image.Width(), image.Height(), quality);
    std::vector<std::uint8_t> bytes(job.bytes, job.bytes + (ok ? job.size : 0));
    std::free(job.bytes);
    if (!ok) throw std::runtime_error(std::string("cannot encode the JPEG picture: ") + job.error.message);
    return bytes;
}

}  // namespace DataGen
