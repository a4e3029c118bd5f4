#include "platform/foundation/Log.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace glimmo {
namespace {

struct CapturedLine {
    LogLevel level;
    std::string text;
    bool operator==(const CapturedLine&) const = default;
};

class LogTest : public ::testing::Test {
protected:
    LogTest() {
        setLogSinkForTesting([this](LogLevel level, std::string_view text) { lines.push_back({level, std::string(text)}); });
    }
    ~LogTest() override { setLogSinkForTesting({}); }

    std::vector<CapturedLine> lines;
};

TEST_F(LogTest, SinkReceivesExactWordsOfEachKind) {
    systemLog("✅ Saved");
    printLine("Copied history");
    EXPECT_EQ(lines, (std::vector<CapturedLine>{{LogLevel::info, "✅ Saved"},
                                                {LogLevel::standardOutput, "Copied history"}}));
}

TEST_F(LogTest, LoggerHidesDebugUntilEnabled) {
    Logger logger("com.glimmodemo.generative-ai", "GenerativeAI");
    logger.debug("[GenerativeAI] request body");
    logger.info("[GenerativeAI] info");
    logger.error("[GenerativeAI] failed");
    logger.setDebugEnabled(true);
    logger.debug("[GenerativeAI] now visible");

    EXPECT_EQ(lines, (std::vector<CapturedLine>{{LogLevel::info, "[GenerativeAI] info"},
                                                {LogLevel::error, "[GenerativeAI] failed"},
                                                {LogLevel::debug, "[GenerativeAI] now visible"}}));
}

TEST_F(LogTest, DisabledLoggerDropsEverything) {
    Logger logger = Logger::disabled();
    logger.setDebugEnabled(true);
    logger.debug("a");
    logger.info("b");
    logger.error("c");
    EXPECT_TRUE(lines.empty());
    EXPECT_FALSE(logger.isEnabled());
}

TEST(LogExcerptTest, KeepsWhatFitsAndCutsTheRestBeforeACharacterThatCrossesTheLimit) {
    const std::string fits(logExcerptLimit, 'a');
    EXPECT_EQ(logExcerpt(""), "");
    EXPECT_EQ(logExcerpt(fits), fits);
    EXPECT_EQ(logExcerpt(fits + "b"), fits + "… (4097 bytes in all)");
    // A four-byte character that ends at the limit stays; one that any of its bytes carry past it goes whole.
    for (std::size_t before = logExcerptLimit - 4; before <= logExcerptLimit; ++before) {
        const std::string text = std::string(before, 'a') + "😀" + "tail";
        const std::string kept = std::string(before, 'a') + (before + 4 <= logExcerptLimit ? "😀" : "");
        EXPECT_EQ(logExcerpt(text), kept + "… (" + std::to_string(text.size()) + " bytes in all)") << before;
    }
}

TEST(LogOutputTest, PrintLineWritesOneFlushedLineToStandardOutput) {
    ::testing::internal::CaptureStdout();
    printLine("hello ✅");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "hello ✅\n");
}

TEST(LogOutputTest, SystemLogWritesTimestampedLineToStandardError) {
    ::testing::internal::CaptureStderr();
    systemLog("⭐️ GlimmoDemo started at 10:00:00");
    const std::string written = ::testing::internal::GetCapturedStderr();
    // "yyyy-MM-dd HH:mm:ss.SSS GlimmoDemo[pid] message\n"
    EXPECT_EQ(written.size() > 24 ? written[4] : '?', '-');
    EXPECT_NE(written.find(" GlimmoDemo["), std::string::npos) << written;
    EXPECT_TRUE(written.ends_with("] ⭐️ GlimmoDemo started at 10:00:00\n")) << written;
}

TEST(LogOutputTest, LoggerLinesCarrySubsystemAndCategory) {
    ::testing::internal::CaptureStderr();
    Logger("com.example.sub", "Cat").error("broken");
    const std::string written = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(written.find("[com.example.sub:Cat] <error> broken\n"), std::string::npos) << written;
}

} // namespace
} // namespace glimmo
