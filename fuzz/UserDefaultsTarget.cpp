#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "platform/foundation/UserDefaults.h"

#include <stdlib.h>

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

} // namespace

int fuzzOne(const std::uint8_t* data, std::size_t size) {
    silenceLogs();
    static const Folder folder;
    const fs::path file = folder.path() / "defaults.json";
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                    static_cast<std::streamsize>(size));
    {
        UserDefaults defaults(file);
        const auto before = readings(defaults);
        // A change rewrites the whole file: what was read must read back the same.
        defaults.set("fuzzed", 1);
        defaults.flush();
        const UserDefaults reloaded(file);
        if (readings(reloaded) != before || reloaded.integer("fuzzed") != 1) {
            fail("settings changed on a round trip through the settings file");
        }
    }
    for (const auto& entry : fs::directory_iterator(folder.path())) {
        fs::remove(entry.path());
    }
    return 0;
}

} // namespace glimmo::fuzz::userDefaults
