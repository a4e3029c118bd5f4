#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "platform/foundation/DefaultsValue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/UserDefaults.h"

#include <nlohmann/json.hpp>

#include <stdlib.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <tuple>

namespace glimmo::fuzz::userDefaults {

namespace {

namespace fs = std::filesystem;

// One private folder for the process, in memory when the system has one, gone at exit.
class Folder {
public:
    Folder() {
        const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = (base / "glimmo-fuzz-defaults-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            fail("cannot create a temporary folder");
        }
        path_ = pattern;
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

constexpr std::array keys = {"viewStyle", "hideDockIcon", "count", "ratio", "categories", "x", ""};

auto readings(const UserDefaults& defaults) {
    std::vector<std::tuple<bool, std::optional<std::string>, std::optional<bool>, std::optional<std::int64_t>,
                           std::optional<double>, std::optional<std::vector<std::uint8_t>>>>
        values;
    for (const char* key : keys) {
        values.emplace_back(defaults.contains(key), defaults.string(key), defaults.boolean(key), defaults.integer(key),
                            defaults.doubleValue(key), defaults.data(key));
    }
    return values;
}

// The defaults' ordered parse builds what nlohmann's own builds, on every text within the reader's
// limits (nlohmann takes a NUL byte for the end and has no limits).
void compareOrderedParses(std::string_view text) {
    std::optional<nlohmann::ordered_json> ours;
    try {
        ours = parseOrderedJSON(text, defaultsFileLimits);
    } catch (const JSONDecodingError&) {
    }
    std::optional<nlohmann::ordered_json> theirs;
    try {
        theirs = nlohmann::ordered_json::parse(text.begin(), text.end());
    } catch (const nlohmann::json::exception&) {
    }
    bool bounded = text.find('\0') == std::string_view::npos;
    try {
        checkJSONLimits(text, defaultsFileLimits);
    } catch (const JSONDecodingError&) {
        bounded = false;
    }
    if (ours != theirs && (ours || bounded)) {
        fail("the ordered parse built another value than nlohmann's");
    }
}

std::size_t filesSetAside(const fs::path& folder) {
    return static_cast<std::size_t>(std::count_if(fs::directory_iterator(folder), fs::directory_iterator(), [](const auto& entry) {
        return entry.path().filename().string().find(".unreadable-") != std::string::npos;
    }));
}

} // namespace

int fuzzOne(const std::uint8_t* data, std::size_t size) {
    silenceLogs();
    static const Folder folder;
    const fs::path file = folder.path() / "defaults.json";
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                    static_cast<std::streamsize>(size));
    compareOrderedParses(bytesOf(data, size));
    {
        UserDefaults defaults(file);
        const auto before = readings(defaults);
        const std::size_t setAside = filesSetAside(folder.path());
        // A change rewrites the whole file: what was read must read back the same, from a file the
        // reader takes and no larger than it was but for a line for each member (no value is written
        // longer than the text that gave it: 1e9 stays 1e9), with room for the member the change adds.
        defaults.set("fuzzed", 1);
        defaults.flush();
        const UserDefaults reloaded(file);
        if (readings(reloaded) != before || reloaded.integer("fuzzed") != 1) {
            fail("settings changed on a round trip through the settings file");
        }
        if (filesSetAside(folder.path()) != setAside) {
            fail("the settings file as written was set aside when read");
        }
        std::size_t members = 0;
        if (filesSetAside(folder.path()) == 0) {
            members = parseOrderedJSON(bytesOf(data, size), defaultsFileLimits).size();
        }
        // "\n  " before each member, a blank after its colon, "\n" before the closing brace; and the
        // member the change added.
        const std::size_t fuzzedMember = std::string(",\n  \"fuzzed\": 1").size();
        if (readFile(file).value_or("").size() > size + 4 * members + 1 + fuzzedMember + 2) {
            fail("a value of the settings file was written longer than it was read");
        }
    }
    for (const auto& entry : fs::directory_iterator(folder.path())) {
        fs::remove(entry.path());
    }
    return 0;
}

} // namespace glimmo::fuzz::userDefaults
