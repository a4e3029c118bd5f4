// Every seed and every input that once broke a fuzz target goes through its entry again in the
// ordinary build, so a fault that was mended stays mended without libFuzzer.

#include "fuzz/FuzzTargets.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace glimmo::fuzz {
namespace {

namespace fs = std::filesystem;

struct Target {
    const char* name;
    int (*fuzzOne)(const std::uint8_t*, std::size_t);
};

const Target targets[] = {
    {"markdown", markdown::fuzzOne},
    {"geminiReply", geminiReply::fuzzOne},
    {"geminiStream", geminiStream::fuzzOne},
    {"categorizationAnswer", categorizationAnswer::fuzzOne},
    {"recordFile", recordFile::fuzzOne},
    {"dailyStore", dailyStore::fuzzOne},
    {"journalCache", journalCache::fuzzOne},
    {"userDefaults", userDefaults::fuzzOne},
    {"images", images::fuzzOne},
    {"url", url::fuzzOne},
    {"replyExcerpt", replyExcerpt::fuzzOne},
};

class FuzzReplay : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzReplay, EverySeedAndRegressionRunsThrough) {
    const char* source = std::getenv("GLIMMO_SOURCE_DIR");
    ASSERT_NE(source, nullptr) << "GLIMMO_SOURCE_DIR names the repository";
    std::size_t seeds = 0;
    for (const char* folder : {"corpus", "regressions"}) {
        const fs::path inputs = fs::path(source) / "fuzz" / folder / GetParam().name;
        if (!fs::is_directory(inputs)) {
            continue;
        }
        for (const auto& entry : fs::directory_iterator(inputs)) {
            std::ifstream stream(entry.path(), std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
            SCOPED_TRACE(entry.path().string());
            EXPECT_EQ(GetParam().fuzzOne(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0);
            seeds += folder == std::string_view("corpus") ? 1 : 0;
        }
    }
    EXPECT_GT(seeds, 0u) << "no seed corpus for " << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(targets),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace glimmo::fuzz
