// The fuzz targets' seeds and every regression input a fuzzer ever found go
// through the targets' bodies again in the ordinary builds, so that a fault
// once fixed stays fixed.
#include "FuzzTargets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> Read(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The files of tests/fuzz/<kind>/<target>/, in name order.
std::vector<fs::path> Inputs(std::string_view kind, std::string_view target)
{
    std::vector<fs::path> files;
    const fs::path folder = fs::path(KORVALEN_FUZZ_INPUTS) / kind / target;
    if (fs::is_directory(folder))
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

class FuzzReplay : public ::testing::TestWithParam<Fuzz::TTarget> {};

TEST_P(FuzzReplay, EverySeedAndRegressionInputEndsCleanly)
{
    const Fuzz::TTarget target = GetParam();
    const std::vector<fs::path> seeds = Inputs("corpus", target.name);
    EXPECT_FALSE(seeds.empty()) << "every target has seeds";
    std::vector<fs::path> all = seeds;
    for (const fs::path& file : Inputs("regressions", target.name)) all.push_back(file);
    for (const fs::path& file : all) {
        const std::vector<std::uint8_t> bytes = Read(file);
        EXPECT_NO_THROW(target.body(bytes)) << file;
    }
}

INSTANTIATE_TEST_SUITE_P(Loaders, FuzzReplay, ::testing::ValuesIn(Fuzz::Targets),
                         [](const auto& target) { return std::string(target.param.name); });

}  // namespace
