#include "FileBytes.h"

#include "Errors.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& what, int error)
{
    throw std::runtime_error("\"" + path + "\": " + what + ": " + std::strerror(error));
}

// Closes the file; a failed close means the bytes may not have reached it.
void CloseChecked(int fd, const std::string& path)
{
    if (close(fd) != 0) Fail(path, "cannot finish writing", errno);
}

// Writes all the bytes, going on after short writes; false with errno set on failure.
bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(std::size_t(written));
    }
    return true;
}

}  // namespace

TFileKind FileKind(const std::string& path)
{
    struct stat info{};
    if (stat(path.c_str(), &info) != 0) return errno == ENOENT ? TFileKind::Missing : TFileKind::Other;
    return S_ISREG(info.st_mode) ? TFileKind::File : TFileKind::Other;
}

void CreateFileBytes(const std::string& path, std::string_view bytes)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) Fail(path, "cannot create it", errno);
    if (!WriteAll(fd, bytes) || fsync(fd) != 0) {
        const int error = errno;
        close(fd);
        unlink(path.c_str());
        Fail(path, "cannot write it", error);
    }
    if (close(fd) != 0) {
        const int error = errno;
        unlink(path.c_str());
        Fail(path, "cannot finish writing", error);
    }
}

void AppendFileBytes(const std::string& path, std::string_view bytes)
{
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) Fail(path, "cannot open it for writing", errno);
    struct stat before{};
    if (fstat(fd, &before) != 0) {
        const int error = errno;
        close(fd);
        Fail(path, "cannot read its length", error);
    }
    if (!WriteAll(fd, bytes) || fsync(fd) != 0) {
        const int error = errno;
        // A partial entry is taken back; the earlier bytes were never touched.
        const bool restored = ftruncate(fd, before.st_size) == 0;
        close(fd);
        Fail(path, restored ? "cannot add to it (left as it was)" : "cannot add to it", error);
    }
    CloseChecked(fd, path);
}

}  // namespace Platform
