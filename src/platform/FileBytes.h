// Whole-file reads for the loaders of pictures, sheets and music, and the
// careful writes of the battle record.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Platform {

// Pictures are far smaller than this; a larger file is refused as damaged.
constexpr std::size_t MaxPictureFileBytes = 64 * 1024 * 1024;

// The file's bytes; throws ELoadError naming the file when it is missing, is
// a folder or anything else but a regular file, cannot be read, or is larger
// than maxBytes.
std::vector<unsigned char> ReadFileBytes(const std::string& path, std::size_t maxBytes);

enum class TFileKind { Missing, File, Other };
// What is at the path: nothing, a regular file, or something else (a folder, say).
TFileKind FileKind(const std::string& path);
// Makes a new file holding exactly the bytes, in one write; on any failure no
// file is left behind. Throws std::runtime_error naming the file and the cause.
void CreateFileBytes(const std::string& path, std::string_view bytes);
// Adds the bytes at the end of an existing file in one write; on any failure
// the file is cut back to its length before, so what it held stays exactly as
// it was. Throws std::runtime_error naming the file and the cause.
void AppendFileBytes(const std::string& path, std::string_view bytes);

}  // namespace Platform
