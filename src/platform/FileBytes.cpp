#include "FileBytes.h"

#include "Errors.h"

#include <cerrno>
#include <cstring>
#include <cstdint>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

namespace {

std::string OpenFailure(int error)
{
    if (error == ENOENT) return "there is no such file";
    return std::string("the file cannot be opened: ") + std::strerror(error);
}

// Why the thing at the path is no file to read, or "" when it is one.
std::string NotAFile(const struct stat& info)
{
    if (S_ISDIR(info.st_mode)) return "it is a folder, not a file";
    if (!S_ISREG(info.st_mode)) return "it is not a regular file";
    return "";
}

// A file opened for reading, closed when it goes.
struct TReadFd {
    int fd;
    explicit TReadFd(int opened) : fd(opened) {}
    ~TReadFd()
    {
        if (fd >= 0) close(fd);
    }
    TReadFd(const TReadFd&) = delete;
    TReadFd& operator=(const TReadFd&) = delete;
};

// Reads exactly bytes.size() bytes; false when the file ends early or a read fails.
bool ReadAll(int fd, std::vector<unsigned char>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        done += std::size_t(got);
    }
    return true;
}

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

std::vector<unsigned char> ReadFileBytes(const std::string& path, std::size_t maxBytes)
{
    // Not blocking: a pipe where a file should be is refused, never waited on.
    const TReadFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.fd < 0) throw ELoadError(path, OpenFailure(errno));
    struct stat info{};
    if (fstat(file.fd, &info) != 0) throw ELoadError(path, "the file cannot be read");
    if (const std::string notAFile = NotAFile(info); !notAFile.empty()) throw ELoadError(path, notAFile);
    if (std::uint64_t(info.st_size) > maxBytes)
        throw ELoadError(path, "the file is too large (" + std::to_string(info.st_size) + " bytes, at most " +
                                   std::to_string(maxBytes) + ")");
    std::vector<unsigned char> bytes(std::size_t(info.st_size));
    if (!ReadAll(file.fd, bytes)) throw ELoadError(path, "the file cannot be read");
    return bytes;
}

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
