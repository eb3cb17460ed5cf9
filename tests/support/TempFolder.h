// A temporary folder of the test's own: made fresh and unique, removed with
// everything in it when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

class TTempFolder {
public:
    TTempFolder()
    {
        std::string pattern = testing::TempDir() + "korvalen_XXXXXX";
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
        path_ = pattern;
    }
    ~TTempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& relative) const { return path_ / relative; }

    // Writes the bytes to a file inside the folder, making its subfolders; returns its path.
    std::filesystem::path Write(const std::filesystem::path& relative, std::string_view bytes) const
    {
        const std::filesystem::path file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), std::streamsize(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + file.string());
        return file;
    }
    std::filesystem::path Write(const std::filesystem::path& relative, std::span<const std::uint8_t> bytes) const
    {
        return Write(relative, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }

private:
    std::filesystem::path path_;
};

// Makes a folder the current one while it lives: the game reads dat/ and
// writes its record relative to the current folder.
class TInFolder {
public:
    explicit TInFolder(const std::filesystem::path& folder) : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~TInFolder()
    {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
    }
    TInFolder(const TInFolder&) = delete;
    TInFolder& operator=(const TInFolder&) = delete;

private:
    std::filesystem::path previous_;
};
