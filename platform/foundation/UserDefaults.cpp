#include "platform/foundation/UserDefaults.h"

#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Locations.h"
#include "platform/foundation/Log.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

namespace glimmo {

namespace fs = std::filesystem;

namespace {

// Byte values are kept as {"data": "<base64>"} so they never read back as a string.
constexpr const char* dataTag = "data";

std::shared_ptr<UserDefaults>& standardInstance() {
    static std::shared_ptr<UserDefaults> instance;
    return instance;
}

} // namespace

struct UserDefaults::Storage {
    fs::path file;
    nlohmann::ordered_json values = nlohmann::ordered_json::object();

    const nlohmann::ordered_json* find(std::string_view key) const {
        const auto found = values.find(key);
        return found == values.end() ? nullptr : &*found;
    }

    void load() {
        std::optional<std::string> content;
        try {
            content = readFile(file);
        } catch (const std::exception& error) {
            setAside(error.what());
            return;
        }
        if (!content) {
            return;
        }
        try {
            auto parsed = parseOrderedJSON(*content);
            if (!parsed.is_object()) {
                setAside("the defaults file does not hold a JSON object");
                return;
            }
            values = std::move(parsed);
        } catch (const JSONDecodingError& error) {
            setAside(error.what());
        }
    }

    // The unreadable file is kept beside the new one so nothing the user had is lost.
    void setAside(const std::string& reason) {
        try {
            moveUnreadableFileAside(file, reason);
        } catch (const std::exception& error) {
            systemLog("❌ Could not move unreadable defaults file " + file.string() + " aside: " + error.what());
        }
    }

    void save() const {
        try {
            fs::create_directories(file.parent_path());
            writeFileAtomically(file, prettyJSON(values));
            failures.succeeded();
        } catch (const std::exception& error) {
            // Defaults keep working from memory; the next change tries the whole file again. A
            // failure that repeats with every change (a full disk) is logged once.
            failures.failed(error, "❌ Failed to save defaults to " + file.string() + ": " + error.what());
        }
    }

    mutable RepeatedFailureLog failures;
};

UserDefaults::UserDefaults(fs::path file) : storage_(std::make_unique<Storage>()) {
    storage_->file = std::move(file);
    storage_->load();
}

UserDefaults::~UserDefaults() = default;

fs::path UserDefaults::defaultFilePath() { return configurationDirectory() / bundleIdentifier() / "defaults.json"; }

UserDefaults& UserDefaults::standard() {
    auto& instance = standardInstance();
    if (!instance) {
        instance = std::make_shared<UserDefaults>(defaultFilePath());
    }
    return *instance;
}

void UserDefaults::setStandard(std::shared_ptr<UserDefaults> defaults) { standardInstance() = std::move(defaults); }

const fs::path& UserDefaults::filePath() const { return storage_->file; }

std::optional<std::string> UserDefaults::string(std::string_view key) const {
    const auto* value = storage_->find(key);
    if (value == nullptr || !value->is_string()) {
        return std::nullopt;
    }
    return value->get<std::string>();
}

std::optional<bool> UserDefaults::boolean(std::string_view key) const {
    const auto* value = storage_->find(key);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (value->is_boolean()) {
        return value->get<bool>();
    }
    if (value->is_number()) {
        return value->get<double>() != 0.0;
    }
    return std::nullopt;
}

std::optional<std::int64_t> UserDefaults::integer(std::string_view key) const {
    const auto* value = storage_->find(key);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (value->is_number_unsigned()) {
        // A file may hold integers up to 2^64 - 1; past the signed range there is no reading.
        const auto number = value->get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(number);
    }
    if (value->is_number_integer()) {
        return value->get<std::int64_t>();
    }
    if (value->is_number_float()) {
        const double number = value->get<double>();
        // Out-of-range or NaN values have no integer reading.
        if (!std::isfinite(number) || std::fabs(number) >= 9.2e18) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(number);
    }
    return std::nullopt;
}

std::optional<double> UserDefaults::doubleValue(std::string_view key) const {
    const auto* value = storage_->find(key);
    if (value == nullptr || !value->is_number()) {
        return std::nullopt;
    }
    return value->get<double>();
}

std::optional<std::vector<std::uint8_t>> UserDefaults::data(std::string_view key) const {
    const auto* value = storage_->find(key);
    if (value == nullptr || !value->is_object()) {
        return std::nullopt;
    }
    const auto encoded = value->find(dataTag);
    if (encoded == value->end() || !encoded->is_string()) {
        return std::nullopt;
    }
    return base64Decode(encoded->get<std::string>());
}

namespace {

template <typename Value>
void store(nlohmann::ordered_json& values, std::string_view key, Value&& value) {
    values[std::string(key)] = std::forward<Value>(value);
}

} // namespace

void UserDefaults::set(std::string_view key, std::string_view value) {
    store(storage_->values, key, std::string(value));
    storage_->save();
    didChange.emit(std::string(key));
}

void UserDefaults::set(std::string_view key, bool value) {
    store(storage_->values, key, value);
    storage_->save();
    didChange.emit(std::string(key));
}

void UserDefaults::set(std::string_view key, double value) {
    if (!std::isfinite(value)) {
        // JSON cannot hold NaN or infinity: the file would get null and the value would be lost.
        systemLog("❌ Ignored a non-finite number for defaults key " + std::string(key));
        return;
    }
    store(storage_->values, key, value);
    storage_->save();
    didChange.emit(std::string(key));
}

void UserDefaults::set(std::string_view key, std::span<const std::uint8_t> bytes) {
    store(storage_->values, key, nlohmann::ordered_json{{dataTag, base64Encode(bytes)}});
    storage_->save();
    didChange.emit(std::string(key));
}

void UserDefaults::setInteger(std::string_view key, std::int64_t value) {
    store(storage_->values, key, value);
    storage_->save();
    didChange.emit(std::string(key));
}

void UserDefaults::remove(std::string_view key) {
    if (storage_->values.erase(std::string(key)) == 0) {
        return;
    }
    storage_->save();
    didChange.emit(std::string(key));
}

bool UserDefaults::contains(std::string_view key) const { return storage_->find(key) != nullptr; }

} // namespace glimmo
