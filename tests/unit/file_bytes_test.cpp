// Whole-file reads: a file's exact bytes, and for whatever is no readable
// file (nothing, a folder, a pipe, something too large) a load error that
// names the path and says which it is, at once.
#include "platform/Errors.h"
#include "platform/FileBytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>

namespace {

TEST(FileBytes, ReadsAFileExactlyUpToItsLimit)
{
    const TTempFolder folder;
    const std::string bytes("a\0b\r\n\xff", 6);
    const std::string path = folder.Write("f.bin", bytes).string();
    const std::vector<unsigned char> read = Platform::ReadFileBytes(path, 6);
    EXPECT_EQ(std::string(read.begin(), read.end()), bytes);
    EXPECT_TRUE(Platform::ReadFileBytes(folder.Write("empty", "").string(), 0).empty());
}

TEST(FileBytes, WhatIsNoReadableFileIsRefusedAtOnceNamingIt)
{
    const TTempFolder folder;
    std::filesystem::create_directory(folder / "folder");
    const std::string pipe = (folder / "pipe").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string large = folder.Write("large", std::string(11, 'x')).string();
    const std::string locked = folder.Write("locked", "x").string();
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    struct TCase {
        std::string path;
        const char* says;
    };
    std::vector<TCase> cases = {
        {(folder / "missing").string(), "there is no such file"},
        {(folder / "missing/below").string(), "there is no such file"},
        {(folder / "folder").string(), "it is a folder, not a file"},
        {pipe, "it is not a regular file"},
        {large, "the file is too large (11 bytes, at most 10)"},
    };
    if (geteuid() != 0) cases.push_back({locked, "the file cannot be opened: Permission denied"});
    for (const TCase& c : cases) {
        try {
            Platform::ReadFileBytes(c.path, 10);
            ADD_FAILURE() << c.path << " was read";
        } catch (const ELoadError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot load \"" + c.path + "\": " + c.says);
        }
    }
}

}  // namespace
