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
        {"abc\n", 3, "abc", "a line end past the limit is left out too"},
        {"abc\r\n", 4, "abc", ""},
    };
    for (const auto& [text, bytes, shown, why] : cases) EXPECT_EQ(excerpt(text, bytes), shown) << why;
}

TEST(ReplyExcerpt, ListItemsAndMarkupWeighMoreThanPlainText) {
    const auto weight = [](std::string_view text) { return replyWeight(text); };
    EXPECT_GT(weight("- an item"), weight("plain words and nothing else"));
    EXPECT_GT(weight("> > quoted twice"), weight("> quoted once"));
    EXPECT_GT(weight("12. numbered"), weight("12.5 is a number"));
    EXPECT_GT(weight("`a` `b` `c`"), weight("a b c"));
    EXPECT_GT(weight("- a\n  - nested"), weight("- a\n- b"));
    EXPECT_GT(weight("a\n\nb"), weight("a\nb")) << "a paragraph costs more than a line of one";
    EXPECT_LT(weight("```\n- a `b` *c*\n```"), weight("- a `b` *c*")) << "nothing is markup in code";
    EXPECT_EQ(weight("   "), 0u);

    // The same bytes as plain lines would fit; as list items they make too many views.
    const std::string items = repeated("- a\n", 1000);
    const std::string kept = excerpt(items, items.size(), 500);
    EXPECT_LT(kept.size(), items.size() / 10);
    EXPECT_EQ(kept.substr(kept.size() - 3), "- a");
    const std::string lines = repeated("a a\n", 1000);
    EXPECT_GT(excerpt(lines, lines.size(), 500).size(), kept.size());
}

// A list marker in code is code: an indented code block weighs, and is cut, as the same lines fenced,
// ending at its last line that fits or before the whole block, never between "items" inside it.
TEST(ReplyExcerpt, AnIndentedCodeBlockIsWeighedAndCutAsTheSameLinesFenced) {
    std::string indented;
    for (int i = 0; indented.size() < 200000; ++i) indented += "    - item " + std::to_string(i) + "\n";
    const std::string fenced = "```\n" + indented + "```\n";
    const double keptIndented = double(replyExcerptLength(indented)), keptFenced = double(replyExcerptLength(fenced));
    EXPECT_NEAR(keptIndented, keptFenced, 0.1 * keptFenced);

    std::size_t fiftyLines = 0;
    for (int line = 0; line < 50; ++line) fiftyLines = indented.find('\n', fiftyLines) + 1;
    const double weightIndented = double(replyWeight(indented.substr(0, fiftyLines)));
    const double weightFenced = double(replyWeight("```\n" + indented.substr(0, fiftyLines) + "```\n"));
    EXPECT_NEAR(weightIndented, weightFenced, 0.1 * weightFenced);

    for (const std::string& code : {indented, fenced}) EXPECT_EQ(excerpt("Intro.\n\n" + code, 70000, 8000), "Intro.\n");
}

// A row with fewer bars than its table's header still makes a cell for each column: the excerpt never
// shows more cells than its weight.
TEST(ReplyExcerpt, EveryCellOfATableRowWeighsHoweverFewBarsItHas) {
    const std::string table = "|" + repeated("a|", 32) + "\n|" + repeated("-|", 32) + "\n" + repeated("x\n", 30000);
    const ReplyExcerptLimits limits;
    const std::string kept = table.substr(0, replyExcerptLength(table, limits));
    const std::size_t rows = std::size_t(std::count(kept.begin(), kept.end(), '\n')) - 1;
    EXPECT_GT(rows, 0u);
    EXPECT_LE(rows * 32, limits.weight);
}

// A flood of pieces whose text alone looks light (bare autolinks, code spans): cut by its weight, as
// far as the weight allows.
TEST(ReplyExcerpt, AFloodOfLightLookingPiecesIsCutByItsWeight) {
    const ReplyExcerptLimits limits;
    for (const std::string piece : {"http://a ", "www.a.b ", "`a` "}) {
        const std::string flood = repeated(piece, limits.bytes / piece.size() + 1);
        const std::size_t kept = replyExcerptLength(flood, limits);
        EXPECT_LT(kept, limits.bytes / 2) << piece;
        EXPECT_LE(replyWeight(flood.substr(0, kept)), limits.weight) << piece;
        EXPECT_GT(replyWeight(flood.substr(0, kept + piece.size())), limits.weight) << piece;
    }
}

// A list too long to show whole after an introduction, flat, numbered or nested: the excerpt ends
// between two items, keeping as many as fit, and the kept part parses as the introduction and the list
// cut short.
TEST(ReplyExcerpt, ALongListIsCutBetweenItemsKeepingAsManyAsFit) {
    std::string flat = "Here is what you did:\n\n", numbered = "Steps:\n\n", nested = "Steps:\n\n";
    for (int i = 0; flat.size() < 274000; ++i) flat += "- Item " + std::to_string(i) + " of the day\n";
    for (int i = 1; i <= 400; ++i) numbered += std::to_string(i) + ") Step\n";
    for (int i = 0; i < 400; ++i) nested += std::string(2 * (i % 4), ' ') + "- Step " + std::to_string(i) + "\n";
    const ReplyExcerptLimits few{64 * 1024, 2000};
    const std::tuple<std::string, ReplyExcerptLimits, int> cases[] = {{flat, {}, 1}, {numbered, few, 1}, {nested, few, 4}};
    for (const auto& [reply, limits, nesting] : cases) {
        const std::size_t kept = replyExcerptLength(reply, limits);
        const std::string_view rest = std::string_view(reply).substr(kept);
        const std::string_view next = rest.substr(std::min(rest.find_first_not_of("\n "), rest.size()));
        const bool opensItem = next.starts_with("- ") || next.substr(next.find_first_not_of("0123456789"), 2) == ") ";
        ASSERT_TRUE(rest.starts_with("\n") && opensItem) << kept;
        const std::size_t nextItemEnd = reply.find('\n', kept + 1);
        EXPECT_GT(replyWeight(reply.substr(0, nextItemEnd)), limits.weight) << "the next item does not fit";
        const auto blocks = ridadozi::MarkdownParser::parse(reply.substr(0, kept));
        ASSERT_TRUE(blocks && blocks->size() == 2u);
        EXPECT_EQ(blocks->back().blockNesting(), nesting) << "nested lists are kept as lists";
    }
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
