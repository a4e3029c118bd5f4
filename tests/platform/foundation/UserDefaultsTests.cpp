#include "platform/foundation/DefaultsValue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NumberText.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/CommaDecimalLocale.h"
#include "tests/support/ForkedRun.h"
#include "tests/support/SpecialFiles.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <fstream>
#include <future>
#include <limits>
#include <mutex>
#include <random>
#include <set>
#include <thread>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

// What each getter reads of each key.
auto readings(const UserDefaults& defaults, const std::vector<std::string>& keys) {
    std::vector<std::tuple<bool, std::optional<std::string>, std::optional<bool>, std::optional<std::int64_t>,
                           std::optional<double>, std::optional<std::vector<std::uint8_t>>>>
        values;
    for (const std::string& key : keys) {
        values.emplace_back(defaults.contains(key), defaults.string(key), defaults.boolean(key), defaults.integer(key),
                            defaults.doubleValue(key), defaults.data(key));
    }
    return values;
}

// The kinds of file the defaults may be given: each reaches what their reader takes in a way of its own.
enum class FileShape { deepNesting, manySmallValues, longStrings, escapesAndNonAscii, numbers, byteValues };
constexpr FileShape fileShapes[] = {FileShape::deepNesting,        FileShape::manySmallValues, FileShape::longStrings,
                                    FileShape::escapesAndNonAscii, FileShape::numbers,         FileShape::byteValues};

// The members of an accepted file of that shape, after "viewStyle", which each file has.
std::string shapedMembers(FileShape shape) {
    switch (shape) {
    case FileShape::deepNesting: {
        // With the file's own object, as deep as the reader takes.
        std::string opening;
        std::string closing;
        for (std::size_t level = 1; level < defaultsFileLimits.nestingDepth; ++level) {
            opening += level % 2 == 0 ? "{\"a\": " : "[";
            closing += level % 2 == 0 ? "}" : "]";
        }
        std::reverse(closing.begin(), closing.end());
        return "\"deep\": " + opening + "0" + closing + ", \"shallow\": [[], {}, [[\"x\"]]]";
    }
    case FileShape::manySmallValues: {
        // As many values as the reader takes: one for the text, one for each bracket and comma.
        const std::size_t members = 1000;
        const std::size_t elements = defaultsFileLimits.values - 4 - members;
        const char* scalars[] = {"0", "true", "false", "null", "\"\"", "-1"};
        std::string text = "\"many\": [0";
        for (std::size_t i = 1; i < elements; ++i) text += std::string(",") + scalars[i % std::size(scalars)];
        text += "], \"members\": {\"0\": 0";
        for (std::size_t i = 1; i < members; ++i) text += ",\"" + std::to_string(i) + "\":" + scalars[i % std::size(scalars)];
        return text + "}";
    }
    case FileShape::longStrings: {
        std::string words;
        while (words.size() < (std::size_t{1} << 20)) words += "the window's text, [with] {brackets}, and commas ";
        return "\"long\": \"" + words + "\", \"" + words.substr(0, 65536) + "\": [\"" + words.substr(1, 1000) + "\"]";
    }
    case FileShape::escapesAndNonAscii:
        return R"("escaped": "\"\\\/\b\f\n\r\t\u0000\u001f\u00e9\ud83d\ude00\u2028", "raw": "é 日本 😀", )"
               R"("k\u00e9y\n": ["\\\"", "\\"], "\u65e5": {"\"": "\u0022"})";
    case FileShape::numbers:
        return R"("count": 42, "ratio": 0.25, "negative": -7, "huge": 18446744073709551615, "float": 1E+2, )"
               R"("numbers": [0, -0, 1e14, 1.5e-7, -2.5E-7, 1.7976931348623157e308, 5e-324, 9223372036854775807, )"
               R"(-9223372036854775808, 0.1, 123456789.125, 1.0, -0.0, 100])";
    case FileShape::byteValues: {
        std::string bytes;
        for (int i = 0; i < (1 << 18); ++i) bytes += static_cast<char>(i * 7);
        return R"("categories": {"data": "WzFd"}, "empty": {"data": ""}, "unreadable": {"data": "not base64!"}, )"
               R"("more": {"data": "AA==", "x": 1}, "journalPromptCache": {"data": ")" +
               base64Encode(std::string_view(bytes)) + "\"}";
    }
    }
    return {};
}

// By number: nlohmann's own order of kinds takes every kind of number for the same.
void collectKinds(const nlohmann::ordered_json& value, std::set<int>& kinds) {
    kinds.insert(static_cast<int>(value.type()));
    if (!value.is_structured()) return;
    for (const auto& element : value) collectKinds(element, kinds);
}

class UserDefaultsTest : public ::testing::Test {
protected:
    UserDefaultsTest() {
        setLogSinkForTesting([this](LogLevel, std::string_view line) { logged.emplace_back(line); });
    }
    ~UserDefaultsTest() override {
        setAtomicWriteHookForTesting({});
        setLogSinkForTesting({});
        UserDefaults::setStandard(nullptr);
    }

    fs::path file() const { return folder.path() / "com.glimmodemo.GlimmoDemo" / "defaults.json"; }

    testing::TemporaryDirectory folder;
    std::vector<std::string> logged;
};

TEST_F(UserDefaultsTest, ValuesPersistAcrossInstancesWithTheirTypes) {
    {
        UserDefaults defaults(file());
        defaults.set("viewStyle", "Modern");
        defaults.set("hideDockIcon", true);
        defaults.set("count", 42);
        defaults.set("big", std::int64_t{1} << 40);
        defaults.set("ratio", 0.25);
        defaults.set("categories", std::vector<std::uint8_t>{0, 1, 254, 255});
    }
    const UserDefaults reloaded(file());
    EXPECT_EQ(reloaded.string("viewStyle"), "Modern");
    EXPECT_EQ(reloaded.boolean("hideDockIcon"), true);
    EXPECT_EQ(reloaded.integer("count"), 42);
    EXPECT_EQ(reloaded.integer("big"), std::int64_t{1} << 40);
    EXPECT_EQ(reloaded.doubleValue("ratio"), 0.25);
    EXPECT_EQ(reloaded.data("categories"), (std::vector<std::uint8_t>{0, 1, 254, 255}));
    EXPECT_TRUE(reloaded.contains("viewStyle"));
    EXPECT_FALSE(reloaded.contains("missing"));
}

// Earlier versions wrote the file as one JSON object indented by two spaces, bytes as
// {"data": "<base64>"}, and read it back with the same parse: their files read here, and ours there.
TEST_F(UserDefaultsTest, TheFileKeepsItsFormatBothWays) {
    nlohmann::ordered_json earlier = {{"viewStyle", "Classic"},
                                      {"frame", {{"x", 1.5}, {"names", nlohmann::ordered_json::array({"a/b", "\n"})}}},
                                      {"categories", {{"data", base64Encode(std::string_view("[1]"))}}},
                                      {"unreadable", {{"data", "not base64!"}}},
                                      {"naïve \"key\"", nlohmann::ordered_json::array()}};
    fs::create_directories(file().parent_path());
    writeFileAtomically(file(), prettyJSON(earlier));

    UserDefaults defaults(file());
    EXPECT_EQ(defaults.data("categories"), (std::vector<std::uint8_t>{'[', '1', ']'}));
    EXPECT_EQ(defaults.data("unreadable"), std::nullopt);
    defaults.set("hideDockIcon", true);
    defaults.set("journalPromptCache", std::vector<std::uint8_t>{0, 1, 254, 255});
    defaults.flush();
    earlier["hideDockIcon"] = true;
    earlier["journalPromptCache"] = {{"data", base64Encode(std::string_view("\x00\x01\xfe\xff", 4))}};
    const std::string written = readFile(file()).value_or("");
    EXPECT_EQ(nlohmann::ordered_json::parse(written), earlier) << written;
    EXPECT_NE(written.find("\n  \"hideDockIcon\": true,\n"), std::string::npos) << "a member a line";
}

// Whatever the reader takes, the writer gives back after a change: every value, in a file the reader
// takes again and no more than a few times larger, never one that grows with the nesting.
TEST_F(UserDefaultsTest, EveryAcceptedFileReadsBackAfterAChangeWithinWhatTheReaderTakes) {
    constexpr std::size_t growth = 4;
    std::set<int> kinds;
    for (const FileShape shape : fileShapes) {
        SCOPED_TRACE(static_cast<int>(shape));
        const std::string read = "{\"viewStyle\": \"Classic\", " + shapedMembers(shape) + "}";
        fs::create_directories(file().parent_path());
        writeFileAtomically(file(), read);
        nlohmann::ordered_json expected = nlohmann::ordered_json::parse(read);
        collectKinds(expected, kinds);
        std::vector<std::string> keys;
        for (const auto& member : expected.items()) keys.push_back(member.key());
        logged.clear();

        UserDefaults defaults(file());
        const auto before = readings(defaults, keys);
        defaults.set("viewStyle", "Journal");
        defaults.flush();

        const std::string written = readFile(file()).value_or("");
        expected["viewStyle"] = "Journal";
        EXPECT_EQ(nlohmann::ordered_json::parse(written), expected);
        EXPECT_LE(written.size(), growth * read.size());
        const UserDefaults reloaded(file());
        EXPECT_EQ(logged, std::vector<std::string>{}) << "nothing set aside, nothing failed";
        auto after = readings(reloaded, keys);
        EXPECT_EQ(std::get<1>(after[0]), "Journal");
        after[0] = before[0];
        EXPECT_TRUE(after == before) << "a value read differently";
    }
    // The table holds every kind of value a JSON text gives.
    using Kind = nlohmann::ordered_json::value_t;
    std::set<int> every;
    for (const Kind kind : {Kind::null, Kind::object, Kind::array, Kind::string, Kind::boolean, Kind::number_integer,
                            Kind::number_unsigned, Kind::number_float}) {
        every.insert(static_cast<int>(kind));
    }
    EXPECT_EQ(kinds, every);
    // And reaches the bounds of the reader: one level, one value less is refused.
    const auto file = [](FileShape shape) { return "{\"viewStyle\": \"Classic\", " + shapedMembers(shape) + "}"; };
    JSONLimits lessDeep = defaultsFileLimits;
    --lessDeep.nestingDepth;
    EXPECT_THROW(checkJSONLimits(file(FileShape::deepNesting), lessDeep), JSONDecodingError);
    JSONLimits fewerValues = defaultsFileLimits;
    --fewerValues.values;
    EXPECT_THROW(checkJSONLimits(file(FileShape::manySmallValues), fewerValues), JSONDecodingError);
}

using Kind = nlohmann::ordered_json::value_t;

// Forms of each kind of value a file may give, those the writer changes most for their size among them:
// numbers it could lengthen, integers past 64 bits (read as floating numbers), escapes, empty
// containers, byte values. Parses never give nlohmann's binary or discarded values.
const std::pair<Kind, std::vector<std::string>> formsOfEveryKind[] = {
    {Kind::null, {"null"}}, {Kind::boolean, {"true", "false"}},
    {Kind::number_integer, {"-0", "-9223372036854775808"}}, {Kind::number_unsigned, {"7", "18446744073709551615"}},
    {Kind::number_float, {"1E+09", "-0.0", "1e-7", "1e-400", "1.7976931348623157e308", "18446744073709551616", "0.1e1"}},
    {Kind::string, {"\"\"", R"("\u00e9")", R"("\/")", R"("\b")", R"("\u0001")", R"("\u007f")", R"("\ud83d\ude00")"}},
    {Kind::array, {"[]", "[0]", "[[]]"}},
    {Kind::object, {"{}", "{\"\":0}", R"({"data":"QQ=="})", R"({"data":""})"}},
};

// Every file the reader takes the writer writes back: none is refused, and lost, after a change. Files
// of each form as members or in an array, compact so that the writer adds what it can, as large as the
// reader takes them.
TEST(DefaultsFileLimitsTest, EveryFileAtTheReadersLimitIsWrittenBack) {
    std::set<int> listed{static_cast<int>(Kind::binary), static_cast<int>(Kind::discarded)};
    for (const auto& [kind, forms] : formsOfEveryKind) listed.insert(static_cast<int>(kind));
    EXPECT_EQ(listed.size(), static_cast<std::size_t>(Kind::discarded) + 1) << "a kind of value with no forms";
    const JSONLimits limits{.bytes = 1500};
    const auto parse = [](const std::string& text) { return nlohmann::ordered_json::parse(text); };
    const auto writtenBack = [&](const std::string& text) { return defaultsFileText(defaultsEntries(text, limits), limits); };
    for (const auto& [kind, forms] : formsOfEveryKind) {
        for (const std::string& form : forms) {
            EXPECT_EQ(parse(form).type(), kind) << form;
            for (const bool asMembers : {true, false}) {
                SCOPED_TRACE(form + (asMembers ? " as members" : " in an array"));
                std::string head = asMembers ? "{" : "{\"a\":[";
                for (int n = 0; head.size() < limits.bytes / 3; ++n) head += (asMembers ? "\"" + std::to_string(n) + "\":" : "") + form + ",";
                head += asMembers ? "\"~\":\"" : "0],\"~\":\"";
                // Ends in a string of `filling` bytes, which the writer gives back as they are.
                const auto file = [&](std::size_t filling) { return head + std::string(filling, 'x') + "\"}"; };
                // The most filling with which neither the text nor the writer's text of it passes the limit.
                const std::size_t filling = limits.bytes - std::max(file(0).size(), writtenBack(file(0)).size());
                std::string written;
                ASSERT_NO_THROW(written = writtenBack(file(filling))) << "refused: " << file(filling);
                // nlohmann's own text tells 1 from 1.0, and 0.0 from -0.0.
                EXPECT_EQ(parse(written).dump(), parse(file(filling)).dump());
                EXPECT_THROW(defaultsEntries(file(filling + 1), limits), JSONDecodingError) << "taken past the limit";
            }
        }
    }
}

// A floating number is written in the shortest text that reads back as the same floating number, so
// a number read is never written back longer, whatever form the file gave it.
TEST(DefaultsFileLimitsTest, FloatingNumbersAreWrittenInTheirShortestForm) {
    const std::pair<double, const char*> shortest[] = {
        {1e9, "1e9"},     {1.5e10, "15e9"},    {0.25, "0.25"},  {1.0, "1.0"},           {-0.0, "-0.0"},       {1e-7, "1e-7"},
        {100.0, "1e2"},   {-2.5e-7, "-25e-8"}, {0.001, "1e-3"}, {123456.0, "123456.0"}, {5e-324, "5e-324"}, {818348400.25, "818348400.25"}};
    for (const auto& [number, text] : shortest) EXPECT_EQ(floatingNumberText(number), text);
    EXPECT_EQ(defaultsFileText(defaultsEntries(R"({"n":[1e9,1E+09,1.0,-0,1e-7],"m":{"k":1.5e10}})")),
              "{\n  \"n\": [1e9,1e9,1.0,0,1e-7],\n  \"m\": {\"k\":15e9}\n}");
    // Doubles of every magnitude (any finite bits, whole numbers, decimal fractions), each in its
    // shortest scientific form and in its shortest fixed form made a floating number.
    std::mt19937_64 random(20261207);
    for (int i = 0; i < 3000; ++i) {
        const std::uint64_t bits = random();
        double number = std::bit_cast<double>(bits);
        if (!std::isfinite(number)) number = std::bit_cast<double>(bits & ~(std::uint64_t{1} << 52)); // its exponent less one
        if (i % 3 == 1) number = static_cast<double>(bits >> (bits % 64));
        if (i % 3 == 2) number = static_cast<double>(bits % 1'000'000) * std::pow(10.0, static_cast<double>((bits >> 20) % 40) - 26.0);
        char buffer[512];
        std::string forms[] = {std::string(buffer, std::to_chars(buffer, buffer + 512, number, std::chars_format::scientific).ptr),
                               std::string(buffer, std::to_chars(buffer, buffer + 512, number, std::chars_format::fixed).ptr)};
        if (forms[1].find('.') == std::string::npos) forms[1] += ".0";
        const std::string written = floatingNumberText(number);
        const auto again = nlohmann::ordered_json::parse(written);
        EXPECT_TRUE(again.is_number_float()) << written;
        for (const std::string& form : forms) {
            EXPECT_LE(written.size(), form.size()) << form;
            EXPECT_EQ(again.dump(), nlohmann::ordered_json::parse(form).dump()) << form << " written " << written;
        }
    }
}

// Values set in memory may go past what the reader takes: the good file stays, and the failure is
// logged once, until a change brings the values back within it.
TEST_F(UserDefaultsTest, AChangeTheReaderWouldRefuseKeepsTheFileAndIsLoggedOnce) {
    std::string atTheBound = "{\"many\": [0";
    for (std::size_t value = 3; value < defaultsFileLimits.values; ++value) atTheBound += ",0";
    atTheBound += "]}";
    fs::create_directories(file().parent_path());
    writeFileAtomically(file(), atTheBound);

    UserDefaults defaults(file());
    ASSERT_TRUE(defaults.contains("many"));
    defaults.set("viewStyle", "Journal");
    defaults.flush();
    defaults.set("viewStyle", "Modern");
    defaults.flush();
    EXPECT_TRUE(readFile(file()) == atTheBound) << "the file was replaced";
    EXPECT_EQ(defaults.string("viewStyle"), "Modern");
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0], "❌ Failed to save defaults to " + file().string() + ": The data holds more than " +
                             std::to_string(defaultsFileLimits.values) + " values.");

    defaults.remove("many");
    defaults.flush();
    EXPECT_EQ(UserDefaults(file()).string("viewStyle"), "Modern");
    EXPECT_FALSE(UserDefaults(file()).contains("many"));
    EXPECT_EQ(logged.size(), 1u);
}

// Byte values that count how many of them are alive.
struct ValueTally {
    std::mutex mutex;
    int alive = 0;
    int mostAlive = 0;
};

class CountedBytes final : public DefaultsData {
public:
    CountedBytes(ValueTally& tally, int number) : tally_(tally), number_(number) {
        const std::lock_guard lock(tally_.mutex);
        tally_.mostAlive = std::max(tally_.mostAlive, ++tally_.alive);
    }
    ~CountedBytes() override {
        const std::lock_guard lock(tally_.mutex);
        --tally_.alive;
    }
    std::vector<std::uint8_t> bytes() const override { return bytesOf(number_); }
    static std::vector<std::uint8_t> bytesOf(int number) { return {std::uint8_t(number), std::uint8_t(number >> 8)}; }

private:
    ValueTally& tally_;
    const int number_;
};

// While a write is stalled (a slow home folder), each later change replaces the one pending write, so
// the values it replaced are not kept, and the write after the stall is one, of the last state.
TEST_F(UserDefaultsTest, ChangesDuringAStalledWriteReplaceTheOnePendingWriteAndGoOutOnceAfterIt) {
    std::promise<void> writing;
    std::promise<void> release;
    const std::future<void> released = release.get_future();
    std::vector<std::thread::id> writes; // read once flush() has seen the writes end
    setAtomicWriteHookForTesting([&](const fs::path&) {
        writes.push_back(std::this_thread::get_id());
        if (writes.size() > 1) return;
        writing.set_value();
        // Bounded: were the file written on the caller's thread, the test would fail rather than hang.
        released.wait_for(std::chrono::seconds(20));
    });
    ValueTally tally;
    constexpr int changes = 100'000;
    {
        UserDefaults defaults(file());
        defaults.set("journalPromptCache", std::make_shared<const CountedBytes>(tally, 0));
        writing.get_future().wait(); // the writer is writing the first file
        for (int i = 1; i <= changes; ++i) {
            defaults.set("journalPromptCache", std::make_shared<const CountedBytes>(tally, i));
            defaults.set("selectedBottomComponent", std::to_string(i));
        }
        release.set_value();
        defaults.flush();
        EXPECT_NE(writes[0], std::this_thread::get_id()) << "the caller never waits for the disk";
        EXPECT_EQ(writes.size(), 2u) << "the changes made meanwhile go out in one write";
    }
    EXPECT_LE(tally.mostAlive, 4) << "the one being written, the first change's, the one replaced last, the last";
    EXPECT_EQ(tally.alive, 0);
    const UserDefaults reloaded(file());
    EXPECT_EQ(reloaded.data("journalPromptCache"), CountedBytes::bytesOf(changes));
    EXPECT_EQ(reloaded.string("selectedBottomComponent"), std::to_string(changes));
    EXPECT_EQ(logged, std::vector<std::string>{}) << "no failure, none logged";
}

// A write starts as soon as a change is made, not at the end: a process killed without warning (SIGKILL
// at its deadline) a second after a change has it in its file.
TEST_F(UserDefaultsTest, AChangeOutlivesAKillWithoutWarningASecondLater) {
    const auto killed = testing::exitCodeInForkedChild(
        [&]() -> int {
            UserDefaults defaults(file());
            defaults.set("viewStyle", "Journal");
            for (;;) ::pause();
        },
        std::chrono::seconds(1));
    ASSERT_EQ(killed, std::nullopt) << "the child ended on its own";
    EXPECT_EQ(UserDefaults(file()).string("viewStyle"), "Journal");
}

TEST_F(UserDefaultsTest, StringLiteralIsStoredAsString) {
    UserDefaults defaults(file());
    defaults.set("selectedBottomComponent", "Weekly Graph");
    EXPECT_EQ(defaults.string("selectedBottomComponent"), "Weekly Graph");
    EXPECT_EQ(defaults.boolean("selectedBottomComponent"), std::nullopt);
    const std::string text = "None";
    defaults.set("other", text);
    EXPECT_EQ(defaults.string("other"), "None");
}

TEST_F(UserDefaultsTest, GettersOfAnotherTypeGiveNothingExceptNumberConversions) {
    UserDefaults defaults(file());
    defaults.set("number", 3);
    defaults.set("fraction", 2.75);
    defaults.set("flag", false);
    defaults.set("text", "3");
    defaults.set("bytes", std::vector<std::uint8_t>{1});
    EXPECT_EQ(defaults.string("number"), std::nullopt);
    EXPECT_EQ(defaults.doubleValue("number"), 3.0);
    EXPECT_EQ(defaults.integer("fraction"), 2);
    EXPECT_EQ(defaults.boolean("number"), true);
    EXPECT_EQ(defaults.integer("flag"), std::nullopt);
    EXPECT_EQ(defaults.integer("text"), std::nullopt);
    EXPECT_EQ(defaults.string("bytes"), std::nullopt);
    EXPECT_EQ(defaults.data("text"), std::nullopt);
    EXPECT_EQ(defaults.string("absent"), std::nullopt);
}

TEST_F(UserDefaultsTest, EveryChangeIsWrittenBehindAsPrivateFile) {
    UserDefaults defaults(file());
    EXPECT_FALSE(fs::exists(file()));
    defaults.set("journalPromptCache", "x");
    defaults.flush();
    ASSERT_TRUE(fs::exists(file()));
    struct stat status {};
    ASSERT_EQ(::stat(file().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    defaults.remove("journalPromptCache");
    defaults.flush();
    EXPECT_FALSE(UserDefaults(file()).contains("journalPromptCache"));
}

TEST_F(UserDefaultsTest, CorruptFileIsMovedAsideAndDefaultsStartEmpty) {
    fs::create_directories(file().parent_path());
    std::ofstream(file()) << "{\"viewStyle\": \"Classic\", ";

    UserDefaults defaults(file());
    EXPECT_FALSE(defaults.contains("viewStyle"));
    defaults.set("viewStyle", "Journal");
    defaults.flush();

    std::vector<fs::path> aside;
    for (const auto& entry : fs::directory_iterator(file().parent_path())) {
        if (entry.path().filename().string().find(".unreadable-") != std::string::npos) {
            aside.push_back(entry.path());
        }
    }
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(readFile(aside[0]), "{\"viewStyle\": \"Classic\", ");
    EXPECT_EQ(UserDefaults(file()).string("viewStyle"), "Journal");
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find("line 1"), std::string::npos) << logged[0];
}

TEST_F(UserDefaultsTest, FileHoldingNoObjectIsAlsoMovedAside) {
    fs::create_directories(file().parent_path());
    std::ofstream(file()) << "[1, 2]";
    UserDefaults defaults(file());
    defaults.set("a", 1);
    defaults.flush();
    EXPECT_EQ(UserDefaults(file()).integer("a"), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(file().parent_path()), fs::directory_iterator()), 2);
}

TEST_F(UserDefaultsTest, OutOfRangeNumbersAndDeepNestingStartFreshWithTheFileAside) {
    const std::string deep = "{\"secret\": " + std::string(15000, '[') + std::string(15000, ']') + "}";
    // Within the nesting, but a megabyte of it would take half a gigabyte once written indented by level.
    std::string nested = "{\"secret\": [";
    while (nested.size() < 1'000'000) nested += std::string(500, '[') + std::string(500, ']') + ",";
    nested.back() = ']';
    nested += "}";
    for (const std::string& content : {std::string("{\"x\": -1e999, \"secret\": 1}"), deep, nested}) {
        fs::remove_all(file().parent_path());
        fs::create_directories(file().parent_path());
        std::ofstream(file()) << content;
        logged.clear();

        UserDefaults defaults(file());
        EXPECT_FALSE(defaults.contains("secret"));
        defaults.set("viewStyle", "Journal");
        defaults.flush();

        EXPECT_EQ(UserDefaults(file()).string("viewStyle"), "Journal");
        fs::remove(file()); // what is left is the file set aside
        ASSERT_EQ(std::distance(fs::directory_iterator(file().parent_path()), fs::directory_iterator()), 1);
        EXPECT_EQ(readFile(fs::directory_iterator(file().parent_path())->path()), content);
        // The log names the file and the fault, never what the file holds.
        ASSERT_EQ(logged.size(), 1u);
        EXPECT_NE(logged[0].find(file().string()), std::string::npos) << logged[0];
        EXPECT_EQ(logged[0].find("secret"), std::string::npos) << logged[0];
        EXPECT_EQ(logged[0].find("1e999"), std::string::npos) << logged[0];
    }
}

TEST_F(UserDefaultsTest, AFifoDeviceOrSocketInPlaceOfTheFileIsSetAsideAndDefaultsStartFresh) {
    for (const testing::SpecialFile kind : testing::specialFiles) {
        const testing::TemporaryDirectory fresh;
        const fs::path path = fresh.path() / "defaults.json";
        testing::makeSpecialFile(path, kind);
        // A regression hangs on the FIFO or reads /dev/zero without end: the child is then killed.
        const auto code = testing::exitCodeInForkedChild(
            [&] {
                UserDefaults defaults(path);
                defaults.set("viewStyle", "Journal");
                return testing::loggedOnlyItsSettingAside(logged, path) ? 0 : 1;
            },
            std::chrono::seconds(20));
        EXPECT_EQ(code, 0) << testing::describe(kind);
        if (!fs::is_regular_file(fs::symlink_status(path))) {
            ADD_FAILURE() << "not set aside; reading it here would hang too";
            continue;
        }
        EXPECT_EQ(UserDefaults(path).string("viewStyle"), "Journal");
        std::vector<fs::file_type> aside;
        for (const auto& entry : fs::directory_iterator(fresh.path())) {
            if (entry.path() != path) {
                aside.push_back(entry.symlink_status().type());
            }
        }
        EXPECT_EQ(aside, std::vector<fs::file_type>{testing::fileTypeOf(kind)});
    }
}

TEST_F(UserDefaultsTest, IntegersBeyondTheSignedRangeHaveNoIntegerReading) {
    fs::create_directories(file().parent_path());
    std::ofstream(file()) << R"({"huge": 18446744073709551615, "max": 9223372036854775807})";
    const UserDefaults defaults(file());
    EXPECT_EQ(defaults.integer("huge"), std::nullopt);
    EXPECT_EQ(defaults.integer("max"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(defaults.doubleValue("huge"), 18446744073709551615.0);
}

TEST_F(UserDefaultsTest, FailedWriteKeepsValueInMemoryAndLogsOncePerRunOfFailures) {
    // The defaults "file" is a folder's child under a regular file, so its folder cannot be made.
    std::ofstream(folder.path() / "blocker") << "x";
    UserDefaults defaults(folder.path() / "blocker" / "defaults.json");
    defaults.set("viewStyle", "Classic");
    defaults.flush();
    defaults.set("viewStyle", "Modern");
    defaults.flush();
    EXPECT_EQ(defaults.string("viewStyle"), "Modern");
    ASSERT_EQ(logged.size(), 1u);
    const std::string failed = "❌ Failed to save defaults to " + (folder.path() / "blocker" / "defaults.json").string();
    EXPECT_NE(logged[0].find(failed), std::string::npos) << logged[0];
}

TEST_F(UserDefaultsTest, NonFiniteNumbersAreRefusedRatherThanWrittenAsNull) {
    UserDefaults defaults(file());
    defaults.set("ratio", 0.5);
    defaults.set("ratio", std::numeric_limits<double>::quiet_NaN());
    defaults.flush();
    EXPECT_EQ(UserDefaults(file()).doubleValue("ratio"), 0.5);
}

TEST_F(UserDefaultsTest, DidChangeNamesTheKeyOnceTheValueReadsBack) {
    UserDefaults defaults(file());
    std::vector<std::pair<std::string, bool>> changed;
    const auto subscription = defaults.didChange.connect([&](const std::string& key) {
        changed.emplace_back(key, defaults.contains(key));
    });
    defaults.set("hideDockIcon", true);
    defaults.remove("hideDockIcon");
    defaults.remove("hideDockIcon"); // nothing to remove: no change
    EXPECT_EQ(changed, (std::vector<std::pair<std::string, bool>>{{"hideDockIcon", true}, {"hideDockIcon", false}}));
}

TEST_F(UserDefaultsTest, StandardFollowsConfigurationDirectoryAndCanBeReplaced) {
    testing::ScopedEnvironment environment("XDG_CONFIG_HOME", folder.path().string());
    UserDefaults::setStandard(nullptr);
    EXPECT_EQ(UserDefaults::standard().filePath(), file());
    UserDefaults::standard().set("viewStyle", "Classic");
    UserDefaults::flushStandard();
    EXPECT_EQ(UserDefaults(file()).string("viewStyle"), "Classic");

    auto replacement = std::make_shared<UserDefaults>(folder.path() / "other.json");
    UserDefaults::setStandard(replacement);
    EXPECT_EQ(&UserDefaults::standard(), replacement.get());
    EXPECT_FALSE(UserDefaults::standard().contains("viewStyle"));
}

// What is stored or sent reads the same under a locale whose decimal separator is a comma, as a Qt
// program's C library uses when the user's environment names one.
TEST_F(UserDefaultsTest, NumbersAreWrittenAndReadTheSameUnderACommaDecimalLocale) {
    const testing::CommaDecimalLocale locale;
    if (!locale.isSet()) GTEST_SKIP() << testing::CommaDecimalLocale::missingReason;
    EXPECT_EQ(numberText(0.7), "0.7");
    EXPECT_EQ(numberText(0.7f), "0.7");
    EXPECT_EQ(numberText(-3.0), "-3");
    EXPECT_EQ(numberText(1e300), "1e+300");
    EXPECT_TRUE(std::isinf(parseNumber("inf").value_or(0)));
    const std::pair<const char*, std::optional<double>> numbers[] = {
        {"0.7", 0.7}, {"-2.5e-3", -2.5e-3}, {"0,7", {}}, {"", {}}, {" 1", {}},
        {"1 ", {}},   {"+1", {}},           {"1x", {}},  {"1e999", {}}};
    for (const auto& [text, number] : numbers) EXPECT_EQ(parseNumber(text), number) << text;
    const std::pair<const char*, std::optional<std::int64_t>> integers[] = {
        {"-42", -42}, {"9223372036854775807", std::numeric_limits<std::int64_t>::max()}, {"1.0", {}},
        {"9223372036854775808", {}}, {"+1", {}}, {"", {}}, {"1 000", {}}};
    for (const auto& [text, integer] : integers) EXPECT_EQ(parseInteger(text), integer) << text;

    UserDefaults(file()).set("ratio", 0.25);
    EXPECT_NE(readFile(file()).value_or("").find("0.25"), std::string::npos);
    EXPECT_EQ(UserDefaults(file()).doubleValue("ratio"), 0.25);
}

} // namespace
} // namespace glimmo
