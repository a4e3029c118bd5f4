#include "AnalysisFixture.h"

#include "analysis/ContentViewModel.h"
#include "analysis/MediaDigestModel.h"
#include "generative-ai/GenerativeModel.h"

#include <gmock/gmock.h>

namespace glimmo::testing {
namespace {

std::string numberedLines(const std::string& prefix, int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) {
        text += prefix + std::to_string(i) + "\n";
        if (i % 10 == 0) text += "\n"; // empty lines do not count
    }
    return text;
}

std::string sentPrompt(const LoopbackServer& server) {
    return nlohmann::json::parse(server.requests().back().body)["contents"][0]["parts"][0]["text"].get<std::string>();
}

TEST(MediaPrompt, IsTheFixedTextAndTakesTheFirstNonEmptyLines) {
    const std::string prompt(MediaDigestModel::mediaPrompt);
    EXPECT_EQ(prompt.size(), 985u);
    EXPECT_EQ(prompt.substr(0, 48), "Based on this user's app usage and web browsing ");
    EXPECT_THAT(prompt, ::testing::HasSubstr("growth. \nFocus on their apparent interests and professional needs.\n\nFormat"));
    EXPECT_THAT(prompt, ::testing::HasSubstr("Don't use these \"*\" at all. Don't include them. Don't emote. \n\nDon't include an intro."));
    EXPECT_THAT(prompt, ::testing::EndsWith("them.\n\nDon't include system login/logout screens\nTheir activity data:\nWeb History:\n"));

    const std::string history = "Recent Chrome Web Activity:\n---\n" + numberedLines("visit ", 120);
    const std::string usage = "Computer Usage Activity (since 12/6/26, 3:00 PM):\n" + numberedLines("app ", 70);
    std::string expectedWeb = "Recent Chrome Web Activity:\n---";
    for (int i = 1; i <= 98; ++i) expectedWeb += "\nvisit " + std::to_string(i);
    std::string expectedUsage = "Computer Usage Activity (since 12/6/26, 3:00 PM):";
    for (int i = 1; i <= 49; ++i) expectedUsage += "\napp " + std::to_string(i);
    EXPECT_EQ(MediaDigestModel::recommendationPrompt(history, usage),
              prompt + expectedWeb + "\n\nApp Usage:\n" + expectedUsage);

    EXPECT_EQ(MediaDigestModel::recommendationPrompt("Recent Chrome Web Activity:\n---\n", "Computer Usage Activity (since x):\n"),
              prompt + "Recent Chrome Web Activity:\n---\n\nApp Usage:\nComputer Usage Activity (since x):");
}

class MediaDigestTest : public AnalysisFixture {
protected:
    MediaDigestTest() { digest = std::make_shared<MediaDigestModel>(reader, monitor); }

    std::shared_ptr<MediaDigestModel> digest;
};

TEST_F(MediaDigestTest, WithoutAKeyNothingIsSentAndTheFailureTextShows) {
    environment.unset("GEMINI_API_KEY");
    const auto unconfigured = std::make_shared<MediaDigestModel>(reader, monitor);
    run(unconfigured->generateRecommendation());
    EXPECT_EQ(gemini.requestCount(), 0u);
    EXPECT_EQ(unconfigured->recommendation.get(), MediaDigestModel::failureText);
    EXPECT_FALSE(unconfigured->isLoading.get());
}

TEST_F(MediaDigestTest, RecommendationReplacesTheProgressIndicator) {
    EXPECT_TRUE(digest->isLoading.get());
    EXPECT_EQ(digest->recommendation.get(), "");
    EXPECT_EQ(digest->gemini().modelResourceName(), "models/gemini-2.0-flash");
    EXPECT_EQ(digest->gemini().requestOptions().timeout, 300);

    answerGemini(200, geminiTextReply("Newsletter:<Stratechery>-> about strategy."));
    run(digest->generateRecommendation());
    EXPECT_EQ(digest->recommendation.get(), "Newsletter:<Stratechery>-> about strategy.");
    EXPECT_FALSE(digest->isLoading.get());
    EXPECT_TRUE(logged("Generating Recommendation"));
    ASSERT_EQ(gemini.requestCount(), 1u);
    EXPECT_EQ(sentPrompt(gemini), MediaDigestModel::recommendationPrompt(reader->historySummary("MONTH"),
                                                                         monitor->usageSummary(86400)));
}

TEST_F(MediaDigestTest, FailureShowsItsTextAndAReplyWithoutTextKeepsThePreviousOne) {
    answerGemini(500, R"({"error": {"code": 500, "message": "boom", "status": "INTERNAL"}})");
    run(digest->generateRecommendation());
    EXPECT_EQ(digest->recommendation.get(), "Unable to generate recommendations at this time. Please try again later.");
    EXPECT_FALSE(digest->isLoading.get());

    answerGemini(200, geminiTextReply("Book:<Deep Work>-> focus."));
    run(digest->generateRecommendation());
    EXPECT_EQ(digest->recommendation.get(), "Book:<Deep Work>-> focus.");

    answerGemini(200, R"({"candidates": [{"content": {"role": "model", "parts": []}, "finishReason": "STOP"}]})");
    run(digest->generateRecommendation());
    EXPECT_EQ(digest->recommendation.get(), "Book:<Deep Work>-> focus.");
    EXPECT_FALSE(digest->isLoading.get());
}

// A reply may run to 32 MiB: decoding it on the main loop would freeze the window.
TEST_F(MediaDigestTest, TheReplyIsDecodedOffTheMainLoop) {
    answerGemini(200, "not json");
    run(digest->generateRecommendation());
    EXPECT_EQ(digest->recommendation.get(), MediaDigestModel::failureText);
    EXPECT_THAT(logsOffTheMainLoop(), ::testing::Contains(::testing::HasSubstr("Error decoding server JSON")));
}

TEST_F(MediaDigestTest, RunOvertakenByANewerOneIsDropped) {
    queueGeminiReply(jsonReply(200, geminiTextReply("old"), 0.3));
    queueGeminiReply(jsonReply(200, geminiTextReply("new")));
    bool firstDone = false;
    bool secondDone = false;
    auto generate = [](std::shared_ptr<MediaDigestModel> digest, bool& done) -> Task<void> {
        auto recommendation = digest->generateRecommendation();
        co_await std::move(recommendation);
        done = true;
    };
    // The first run's request reaches the server before the second run starts.
    startTask(*loop, generate(digest, firstDone));
    loop->runUntilIdle();
    ASSERT_TRUE(LoopbackServer::waitUntil([&] { return gemini.requestCount() == 1; }, 10));
    startTask(*loop, generate(digest, secondDone));
    ASSERT_TRUE(loop->runUntil([&] { return firstDone && secondDone; }, 20));
    loop->runUntilIdle();
    EXPECT_EQ(digest->recommendation.get(), "new");
    EXPECT_FALSE(digest->isLoading.get());
}

// What the panel shows, and what is on its way, was made from the data that "Clear All Data" deletes.
TEST_F(MediaDigestTest, RecommendationsMadeBeforeAClearAreNotShownAfterIt) {
    answerGemini(200, geminiTextReply("shown before"));
    run(digest->generateRecommendation());
    answerGemini(200, geminiTextReply("asked before"), 0.3);
    const TaskHandle asked = startTask(*loop, digest->generateRecommendation());
    ASSERT_TRUE(loop->runUntil([&] { return gemini.requestCount() == 2; }, 10));
    NotificationCenter::defaultCenter().post(ContentViewModel::didClearApplicationData);
    EXPECT_EQ(digest->recommendation.get(), "");
    ASSERT_TRUE(loop->runUntil([&] { return asked.isFinished(); }, 20));
    loop->runUntilIdle();
    EXPECT_EQ(digest->recommendation.get(), "");
    EXPECT_FALSE(digest->isLoading.get());
}

} // namespace
} // namespace glimmo::testing
