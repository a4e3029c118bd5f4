#include "RidadoziRI/MarkdownParser.h"
#include "ui/Panels/ReplyExcerpt.h"
#include "ui/Panels/ReplyExcerptWeight.h"
#include "ui/Panels/ShownReply.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace glimmo::testing {
namespace {

std::string excerpt(const std::string& reply, std::size_t bytes, std::size_t weight = 100000) {
    return reply.substr(0, replyExcerptLength(reply, {bytes, weight}));
}

std::string repeated(const std::string& unit, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) text += unit;
    return text;
}

TEST(ReplyExcerpt, EndsAtABlockBoundaryOutsideCodeElseAtALineEndElseOnACharacter) {
    const std::string reply = "First paragraph.\n\n```\ncode\n\nmore code\n```\n\nLast paragraph.\n";
    const std::string notFence = "One.\n\n```a`\n\nTwo.\n\nThree is long enough.";
    const std::tuple<std::string, std::size_t, std::string, const char*> cases[] = {
        {reply, reply.size(), reply, "within the limits the reply is shown whole"},
        {reply, reply.size() - 2, "First paragraph.\n\n```\ncode\n\nmore code\n```\n", "not inside the fence"},
        {reply, 30, "First paragraph.\n", ""},
        {notFence, notFence.size() - 3, "One.\n\n```a`\n\nTwo.\n", "a backtick in the info string: inline code"},
        {"- one\n- two\n- three\n", 14, "- one\n- two", "a list too large ends between items"},
        {"\n\nabcdef", 5, "\n\nabc", "blank lines alone are not worth showing"},
        {repeated("é", 10), 5, repeated("é", 2), "never half a character"},
    };
    for (const auto& [text, bytes, shown, why] : cases) EXPECT_EQ(excerpt(text, bytes), shown) << why;
}

TEST(ReplyExcerpt, ListItemsAndMarkupWeighMoreThanPlainText) {
    EXPECT_GT(replyWeight("- an item"), replyWeight("plain words and nothing else"));
    EXPECT_GT(replyWeight("> > quoted twice"), replyWeight("> quoted once"));
    EXPECT_GT(replyWeight("12. numbered"), replyWeight("12.5 is a number"));
    EXPECT_GT(replyWeight("`a` `b` `c`"), replyWeight("a b c"));
    EXPECT_GT(replyWeight("- a\n  - nested"), replyWeight("- a\n- b"));
    EXPECT_GT(replyWeight("a\n\nb"), replyWeight("a\nb")) << "a paragraph costs more than a line of one";
    EXPECT_LT(replyWeight("```\n- a `b` *c*\n```"), replyWeight("- a `b` *c*")) << "nothing is markup in code";
    EXPECT_EQ(replyWeight("   "), 0u);

    // The same bytes as plain lines would fit; as list items they make too many views.
    const std::string items = repeated("- a\n", 1000);
    const std::string kept = excerpt(items, items.size(), 500);
    EXPECT_LT(kept.size(), items.size() / 10);
    EXPECT_EQ(kept.substr(kept.size() - 3), "- a");
    const std::string lines = repeated("a a\n", 1000);
    EXPECT_GT(excerpt(lines, lines.size(), 500).size(), kept.size());
}

// Each bare autolink is a link run of its own: 64 KiB of them cost several times what the weight
// allows, and their text alone looks light.
TEST(ReplyExcerpt, AFloodOfAutolinksIsCutByItsWeight) {
    const ReplyExcerptLimits limits;
    EXPECT_GT(replyWeight(repeated("http://a ", 100)), replyWeight(repeated("a ", 100)) + 150);
    EXPECT_GT(replyWeight(repeated("www.a.b ", 100)), replyWeight(repeated("abc.d ", 100)) + 150);
    const std::string flood = repeated("http://a ", limits.bytes / 9 + 1);
    const std::size_t kept = replyExcerptLength(flood, limits);
    EXPECT_LT(kept, limits.bytes / 2);
    EXPECT_LE(replyWeight(flood.substr(0, kept)), limits.weight);
    EXPECT_GT(replyWeight(flood.substr(0, kept + 9)), limits.weight) << "as much as the weight allows";
}

// A list too long to show whole after an introduction: the excerpt ends between two items, top-level
// or nested, keeping as many as fit, and the kept part parses as the same list cut short.
TEST(ReplyExcerpt, ALongListIsCutBetweenItemsKeepingAsManyAsFit) {
    std::string list;
    for (int i = 0; list.size() < 274000; ++i) list += "- Item " + std::to_string(i) + " of the day\n";
    const std::string reply = "Here is what you did:\n\n" + list;
    const std::size_t kept = replyExcerptLength(reply);
    ASSERT_LT(kept, reply.size());
    ASSERT_TRUE(reply.substr(kept).starts_with("\n- Item ")) << reply.substr(0, kept);
    const std::size_t nextLine = reply.find('\n', kept + 1);
    EXPECT_GT(replyWeight(reply.substr(0, nextLine)), ReplyExcerptLimits{}.weight) << "the next item does not fit";
    const ShownReply shown = shownReply(reply);
    ASSERT_EQ(shown.content.blocks.size(), 3u);
    const auto* items = shown.content.blocks[1].as<ridadozi::BlockNode::BulletedList>();
    ASSERT_NE(items, nullptr);
    EXPECT_GT(items->items.size(), 100u);

    std::string nested = "Steps:\n\n";
    for (int i = 0; i < 400; ++i) nested += std::string(2 * (i % 4), ' ') + "- Step " + std::to_string(i) + "\n";
    const ReplyExcerptLimits limits{64 * 1024, 2000};
    const std::size_t nestedKept = replyExcerptLength(nested, limits);
    ASSERT_LT(nestedKept, nested.size());
    const std::string_view rest = std::string_view(nested).substr(nestedKept);
    ASSERT_TRUE(rest.starts_with("\n")) << nested.substr(0, nestedKept);
    EXPECT_TRUE(rest.substr(rest.find_first_not_of("\n "), 7) == "- Step ");
    EXPECT_GT(replyWeight(nested.substr(0, nested.find('\n', nestedKept + 1))), limits.weight);
    const auto blocks = ridadozi::MarkdownParser::parse(nested.substr(0, nestedKept));
    ASSERT_TRUE(blocks && blocks->size() == 2u);
    EXPECT_EQ(blocks->back().blockNesting(), 4) << "the nested lists are kept as lists";
}

// Random replies of the pieces that weigh (every markup character, container markers, fences, blank
// lines, characters of several bytes): the excerpt keeps within both limits, ends on a whole
// character and is the whole reply when that fits.
TEST(ReplyExcerpt, RandomRepliesKeepWithinTheLimits) {
    static const std::vector<std::string> pieces = {
        "*", "_", "`", "~", "[", "]", "(", ")", "!", "<", ">", "&", ":", ".", "@", "#", "-", "+", "\\", "|",
        "- ", "> ", "12. ", "3) ", "```", "~~~", "\n", "\n\n", "   ", "\t", "word ", "é", "→", "\r\n",
        "http://a", "www.", "\n  - "};
    for (const char c : replyMarkupCharacters) {
        EXPECT_NE(std::find(pieces.begin(), pieces.end(), std::string(1, c)), pieces.end()) << "no piece for " << c;
    }
    const auto weightOf = [](std::string_view text) { return replyWeight(text); };
    std::mt19937 random(20250518);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 400);
    for (int i = 0; i < 2000; ++i) {
        std::string reply;
        for (int n = length(random); n > 0; --n) reply += pieces[pick(random)];
        const ReplyExcerptLimits limits{std::size_t(1) + random() % 600, std::size_t(1) + random() % 300};
        const std::size_t kept = replyExcerptLength(reply, limits);
        ASSERT_LE(kept, reply.size());
        const std::string_view excerpt = std::string_view(reply).substr(0, kept);
        if (kept == reply.size() && reply.size() <= limits.bytes && weightOf(reply) <= limits.weight) continue;
        EXPECT_LE(kept, limits.bytes) << reply;
        EXPECT_LE(weightOf(excerpt), limits.weight) << reply;
        EXPECT_TRUE(kept == reply.size() || (static_cast<unsigned char>(reply[kept]) & 0xC0) != 0x80) << reply;
        if (reply.size() <= limits.bytes && weightOf(reply) <= limits.weight) EXPECT_EQ(kept, reply.size()) << reply;
    }
}

TEST(ShownReply, TheCutTextIsParsedAndFollowedByHowMuchWasLeftOut) {
    const std::string reply = "Shown.\n\n" + repeated("x", 70000) + "\n";
    const ShownReply shown = shownReply(reply);
    EXPECT_EQ(shown.leftOutBytes, 70002u);
    ASSERT_EQ(shown.content.blocks.size(), 2u);
    EXPECT_EQ(shown.content.plainText(), "Shown.\n\nThe rest of this reply (70 KB) is not shown.");

    // Left open by the cut, a code fence does not take in the line.
    const std::string fenced = "```\n" + repeated("code\n", 20000);
    ASSERT_EQ(shownReply(fenced).content.blocks.size(), 2u);
    EXPECT_EQ(shownReply("Short.").content.plainText(), "Short.") << "a reply within the limits has no such line";

    EXPECT_EQ(leftOutNote(999), "The rest of this reply (999 bytes) is not shown.");
    EXPECT_EQ(leftOutNote(226400), "The rest of this reply (226 KB) is not shown.");
    EXPECT_EQ(leftOutNote(33554432), "The rest of this reply (33.6 MB) is not shown.");
}

} // namespace
} // namespace glimmo::testing
