#include "platform/foundation/UserDefaults.h"

#include "platform/foundation/DefaultsValue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Locations.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/WriteBehindFile.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

namespace glimmo {

namespace fs = std::filesystem;

namespace {

std::shared_ptr<UserDefaults>& standardInstance() {
    static std::shared_ptr<UserDefaults> instance;
    return instance;
}

// The bytes a caller set: kept as given, encoded only when written.
class CopiedBytes final : public DefaultsData {
public:
    explicit CopiedBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes.begin(), bytes.end()) {}
    std::vector<std::uint8_t> bytes() const override { return bytes_; }
    std::optional<std::size_t> knownSize() const override { return bytes_.size(); }

private:
    const std::vector<std::uint8_t> bytes_;
};

} // namespace

struct UserDefaults::Storage {
    explicit Storage(fs::path path)
        : file(std::move(path)), writer(file, [this](const std::exception& error) {
              // Defaults keep working from memory; the next change tries the whole file again.
              return "❌ Failed to save defaults to " + file.string() + ": " + error.what();
          }) {}

    const fs::path file;
    // In the file's order; a change replaces a value, never alters one.
    DefaultsEntries values;
    WriteBehindFile writer;

    DefaultsEntries::const_iterator position(std::string_view key) const {
        return std::find_if(values.begin(), values.end(), [&](const auto& entry) { return entry.first == key; });
    }

    const DefaultsValue* find(std::string_view key) const {
        const auto found = position(key);
        return found == values.end() ? nullptr : found->second.get();
    }

    const nlohmann::ordered_json* json(std::string_view key) const {
        const DefaultsValue* value = find(key);
        return value == nullptr || value->data() ? nullptr : &value->json();
    }

    void put(std::string_view key, std::shared_ptr<const DefaultsValue> value) {
        const auto found = position(key);
        if (found == values.end()) {
            values.emplace_back(std::string(key), std::move(value));
            save(nullptr);
        } else {
            save(std::exchange(values[static_cast<std::size_t>(found - values.begin())].second, std::move(value)));
        }
    }

    bool erase(std::string_view key) {
        const auto found = position(key);
        if (found == values.end()) {
            return false;
        }
        auto removed = found->second;
        values.erase(found);
        save(std::move(removed));
        return true;
    }

    // The values are shared, not copied: the writer's thread makes the text from what they are now.
    // The value the change replaced goes with them, to be let go there (it may hold megabytes) unless
    // it was made since the last write began (WriteBehindFile keeps two requests, not one a change).
    void save(std::shared_ptr<const DefaultsValue> replaced) {
        writer.write([snapshot = values, replaced = std::move(replaced)] { return defaultsFileText(snapshot); });
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
            values = defaultsEntries(*content);
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
};

UserDefaults::UserDefaults(fs::path file) : storage_(std::make_unique<Storage>(std::move(file))) { storage_->load(); }

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

void UserDefaults::flushStandard() {
    if (const auto& instance = standardInstance()) {
        instance->flush();
    }
}

void UserDefaults::flush() { storage_->writer.flush(); }

const fs::path& UserDefaults::filePath() const { return storage_->file; }

std::optional<std::string> UserDefaults::string(std::string_view key) const {
    const auto* value = storage_->json(key);
    if (value == nullptr || !value->is_string()) {
        return std::nullopt;
    }
    return value->get<std::string>();
}

std::optional<bool> UserDefaults::boolean(std::string_view key) const {
    const auto* value = storage_->json(key);
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
    const auto* value = storage_->json(key);
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
    const auto* value = storage_->json(key);
    if (value == nullptr || !value->is_number()) {
        return std::nullopt;
    }
    return value->get<double>();
}

std::optional<std::vector<std::uint8_t>> UserDefaults::data(std::string_view key) const {
    if (const auto bytes = dataValue(key)) {
        return bytes->bytes();
    }
    // An object with more than the data member, or one whose text is not Base64.
    const auto* value = storage_->json(key);
    if (value == nullptr || !value->is_object()) {
        return std::nullopt;
    }
    const auto encoded = value->find(defaultsDataTag);
    if (encoded == value->end() || !encoded->is_string()) {
        return std::nullopt;
    }
    return base64Decode(encoded->get<std::string>());
}

std::shared_ptr<const DefaultsData> UserDefaults::dataValue(std::string_view key) const {
    const DefaultsValue* value = storage_->find(key);
    return value == nullptr ? nullptr : value->data();
}

void UserDefaults::set(std::string_view key, std::string_view value) {
    storage_->put(key, std::make_shared<const DefaultsValue>(nlohmann::ordered_json(std::string(value))));
    didChange.emit(std::string(key));
}

void UserDefaults::set(std::string_view key, bool value) {
    storage_->put(key, std::make_shared<const DefaultsValue>(nlohmann::ordered_json(value)));
    didChange.emit(std::string(key));
}

void UserDefaults::set(std::string_view key, double value) {
    if (!std::isfinite(value)) {
        // JSON cannot hold NaN or infinity: the file would get null and the value would be lost.
        systemLog("❌ Ignored a non-finite number for defaults key " + std::string(key));
        return;
    }
    storage_->put(key, std::make_shared<const DefaultsValue>(nlohmann::ordered_json(value)));
    didChange.emit(std::string(key));
}

void UserDefaults::set(std::string_view key, std::span<const std::uint8_t> bytes) {
    set(key, std::make_shared<const CopiedBytes>(bytes));
}

void UserDefaults::set(std::string_view key, std::shared_ptr<const DefaultsData> bytes) {
    storage_->put(key, std::make_shared<const DefaultsValue>(std::move(bytes)));
    didChange.emit(std::string(key));
}

void UserDefaults::setInteger(std::string_view key, std::int64_t value) {
    storage_->put(key, std::make_shared<const DefaultsValue>(nlohmann::ordered_json(value)));
    didChange.emit(std::string(key));
}

void UserDefaults::remove(std::string_view key) {
    if (storage_->erase(key)) {
        didChange.emit(std::string(key));
    }
}

bool UserDefaults::contains(std::string_view key) const { return storage_->find(key) != nullptr; }

} // namespace glimmo
