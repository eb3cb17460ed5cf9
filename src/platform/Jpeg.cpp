// JPEG pictures through libjpeg-turbo, decoded straight to blue-green-red
// rows. libjpeg reports errors by calling a handler that must not return;
// ours jumps back to the libjpeg call that failed, and the loader turns that
// into an ELoadError, so a bad picture never ends the process from inside.
#include "Bitmap.h"
#include "Errors.h"
#include "FileBytes.h"

#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>

namespace {

// A progressive picture is decoded in one pass per scan; encoders use about
// ten. A small file of thousands of scans would take minutes.
constexpr int MaxJpegScans = 32;
// What libjpeg may allocate beyond the decoded rows: a progressive picture
// keeps all its coefficients, which for the largest allowed sides would be
// hundreds of megabytes.
constexpr long MaxJpegDecoderBytes = 64L * 1024 * 1024;

// A libjpeg error manager, with the progress monitor that counts scans, that
// remembers where to jump and why. The manager comes first: libjpeg hands its
// address back to the callbacks.
struct TJpegError {
    jpeg_error_mgr manager;
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void FailDecoding(j_common_ptr info, const char* why)
{
    auto* error = reinterpret_cast<TJpegError*>(info->err);
    std::snprintf(error->message, sizeof error->message, "%s", why);
    std::longjmp(error->jump, 1);
}

[[noreturn]] void OnJpegError(j_common_ptr info)
{
    auto* error = reinterpret_cast<TJpegError*>(info->err);
    if (info->err->msg_code == JERR_NO_BACKING_STORE) {
        FailDecoding(info, "the picture needs too much memory to decode");
    }
    (*info->err->format_message)(info, error->message);
    std::longjmp(error->jump, 1);
}

void OnJpegProgress(j_common_ptr info)
{
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > MaxJpegScans) {
        FailDecoding(info, "the picture has too many scans");
    }
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
    explicit TJpegDecoder(std::span<const unsigned char> bytes)
    {
        info_.err = jpeg_std_error(&error_.manager);
        error_.manager.error_exit = OnJpegError;
        error_.manager.emit_message = OnJpegMessage;
        error_.progress.progress_monitor = OnJpegProgress;
        error_.message[0] = '\0';
        if (setjmp(error_.jump) != 0) {
            return;
        }
        jpeg_create_decompress(&info_);
        created_ = true;
        info_.progress = &error_.progress;
        info_.mem->max_memory_to_use = MaxJpegDecoderBytes;
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

    // The picture's size and coding, known once the header is read.
    JDIMENSION Width() const { return info_.image_width; }
    JDIMENSION Height() const { return info_.image_height; }
    bool ArithmeticCoded() const { return info_.arith_code != FALSE; }

    // The fewest 8 × 8 blocks a component has. Each block of a coded
    // component takes at least one bit of Huffman-coded data.
    std::uint64_t FewestBlocks() const
    {
        std::uint64_t fewest = UINT64_MAX;
        for (int c = 0; c < info_.num_components; ++c) {
            const jpeg_component_info& component = info_.comp_info[c];
            fewest = std::min(fewest, std::uint64_t(component.width_in_blocks) * component.height_in_blocks);
        }
        return fewest;
    }

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

// A JPEG file starts with the start-of-image marker and another marker.
bool StartsAsJpeg(std::span<const unsigned char> bytes)
{
    return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

}  // namespace

void TBitmap::LoadJpegFile(const std::string& path)
{
    LoadJpegBytes(path, Platform::ReadFileBytes(path, Platform::MaxPictureFileBytes));
}

void TBitmap::LoadJpegBytes(const std::string& path, std::span<const unsigned char> bytes)
{
    if (bytes.size() > Platform::MaxPictureFileBytes) {
        throw ELoadError(path, "the file is too large");
    }
    if (!StartsAsJpeg(bytes)) {
        throw ELoadError(path, "not a JPEG picture");
    }
    TJpegDecoder decoder(bytes);
    if (!decoder.ReadHeader()) {
        throw ELoadError(path, decoder.Reason());
    }
    const std::string size = std::to_string(decoder.Width()) + " × " + std::to_string(decoder.Height());
    if (decoder.Width() > JDIMENSION(MaxBitmapSide) || decoder.Height() > JDIMENSION(MaxBitmapSide)) {
        throw ELoadError(path, "the picture is " + size + " pixels, more than " + std::to_string(MaxBitmapSide) +
                                   " on a side");
    }
    if (decoder.ArithmeticCoded()) {
        throw ELoadError(path, "an arithmetic-coded picture; the game reads Huffman-coded JPEG pictures only");
    }
    // So that a small damaged file never has the pixels of a large picture allocated.
    if (const std::uint64_t needed = decoder.FewestBlocks() / 8; bytes.size() < needed) {
        throw ELoadError(path, "the picture's data is too short for " + size + " pixels (at least " +
                                   std::to_string(needed) + " bytes, the file holds " + std::to_string(bytes.size()) + ")");
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
