// Reading sources and writing data files, with the file named in every error.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace DataGen {

std::string ReadSourceText(const std::filesystem::path& file);
void WriteDataFile(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);

}  // namespace DataGen
