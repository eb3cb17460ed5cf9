#include "FileBytes.h"

#include "Errors.h"

#include <fstream>

namespace Platform {

std::vector<unsigned char> ReadFileBytes(const std::string& path, std::size_t maxBytes)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) throw ELoadError(path, "the file cannot be opened");
    const std::streamoff size = file.tellg();
    if (size < 0) throw ELoadError(path, "the file cannot be read");
    if (std::size_t(size) > maxBytes) throw ELoadError(path, "the file is too large");
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(bytes.data()), size)) throw ELoadError(path, "the file cannot be read");
    return bytes;
}

}  // namespace Platform
