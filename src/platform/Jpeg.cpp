// JPEG pictures through libjpeg-turbo, decoded straight to blue-green-red
// rows. libjpeg reports errors by calling a handler that must not return;
// ours jumps back to the libjpeg call that failed, and the loader turns that
// into an ELoadError, so a bad picture never ends the process from inside.
#include "Bitmap.h"
#include "Errors.h"
#include "FileBytes.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>

namespace {

// Pictures larger than this on either side are refused as damaged.
constexpr JDIMENSION MaxJpegSide = 8192;

// A libjpeg error manager that remembers where to jump and why.
struct TJpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void OnJpegError(j_common_ptr info)
{
    auto* error = reinterpret_cast<TJpegError*>(info->err);
    (*info->err->format_message)(info, error->message);
    std::longjmp(error->jump, 1);
}

// Warnings are how libjpeg reports a file cut short or damaged data it
// papers over; a picture of ours is never either, so they are errors too.
void OnJpegMessage(j_common_ptr info, int level)
{
    if (level < 0) {
        OnJpegError(info);
    }
}

// One decompression. Each step is a libjpeg call behind its own setjmp: a
// failing call jumps back over libjpeg's frames only, which hold no C++
// objects, and the step returns false with the reason in Reason().
class TJpegDecoder {
public:
    explicit TJpegDecoder(const std::vector<unsigned char>& bytes)
    {
        info_.err = jpeg_std_error(&error_.manager);
        error_.manager.error_exit = OnJpegError;
        error_.manager.emit_message = OnJpegMessage;
        error_.message[0] = '\0';
        if (setjmp(error_.jump) != 0) {
            return;
        }
        jpeg_create_decompress(&info_);
        created_ = true;
        jpeg_mem_src(&info_, bytes.data(), static_cast<unsigned long>(bytes.size()));
        ready_ = true;
    }
    ~TJpegDecoder()
    {
        if (created_) {
            jpeg_destroy_decompress(&info_);
        }
    }
    TJpegDecoder(const TJpegDecoder&) = delete;
    TJpegDecoder& operator=(const TJpegDecoder&) = delete;

    bool ReadHeader()
    {
        if (!ready_ || setjmp(error_.jump) != 0) {
            return false;
        }
        jpeg_read_header(&info_, TRUE);
        return true;
    }

    // The picture's size, known once the header is read.
    JDIMENSION Width() const { return info_.image_width; }
    JDIMENSION Height() const { return info_.image_height; }

    // Starts decoding at full size to blue-green-red, grey pictures included.
    bool Start()
    {
        if (setjmp(error_.jump) != 0) {
            return false;
        }
        info_.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&info_);
        return info_.output_width == info_.image_width && info_.output_height == info_.image_height;
    }

    // Decodes the next row into a buffer of Width() × 3 bytes.
    bool ReadRow(unsigned char* row)
    {
        if (setjmp(error_.jump) != 0) {
            return false;
        }
        JSAMPROW rows[1] = {row};
        return jpeg_read_scanlines(&info_, rows, 1) == 1;
    }

    // Reads up to the end marker, so damage after the last row is noticed too.
    bool Finish()
    {
        if (setjmp(error_.jump) != 0) {
            return false;
        }
        jpeg_finish_decompress(&info_);
        return true;
    }

    std::string Reason() const
    {
        return error_.message[0] != '\0' ? std::string(error_.message) : std::string("not a JPEG picture");
    }

private:
    jpeg_decompress_struct info_{};
    TJpegError error_{};
    bool created_ = false;
    bool ready_ = false;
};

}  // namespace

void TBitmap::LoadJpegFile(const std::string& path)
{
    const std::vector<unsigned char> bytes = Platform::ReadFileBytes(path, Platform::MaxPictureFileBytes);
    TJpegDecoder decoder(bytes);
    if (!decoder.ReadHeader()) {
        throw ELoadError(path, decoder.Reason());
    }
    if (decoder.Width() > MaxJpegSide || decoder.Height() > MaxJpegSide) {
        throw ELoadError(path, "the picture is too large");
    }
    if (!decoder.Start()) {
        throw ELoadError(path, decoder.Reason());
    }
    SetSize(static_cast<std::int32_t>(decoder.Width()), static_cast<std::int32_t>(decoder.Height()));
    for (std::int32_t y = 0; y < Height(); ++y) {
        if (!decoder.ReadRow(reinterpret_cast<unsigned char*>(Row(y).data()))) {
            throw ELoadError(path, decoder.Reason());
        }
    }
    if (!decoder.Finish()) {
        throw ELoadError(path, decoder.Reason());
    }
    Touch();
}
