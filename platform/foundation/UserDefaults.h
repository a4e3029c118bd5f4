#pragma once

#include "platform/runtime/Observable.h"

#include <concepts>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace glimmo {

// Typed persistent values kept in one JSON file, rewritten atomically on every change.
// A file that cannot be read or parsed is moved aside (never lost) and the values start empty.
// Used from the main thread only.
//
// Getters are typed: a value stored as another type reads as nullopt, except that numbers convert
// between integer and double, and boolean(key) also accepts a number (non-zero is true).
class UserDefaults {
public:
    // Loads `file` if it exists; the folder is created on the first write.
    explicit UserDefaults(std::filesystem::path file);
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // configurationDirectory()/<bundleIdentifier>/defaults.json, read when called.
    static std::filesystem::path defaultFilePath();

    // The shared instance, created on first use at defaultFilePath().
    static UserDefaults& standard();
    // Replaces the shared instance (tests); nullptr drops it so the next standard() makes a new one.
    static void setStandard(std::shared_ptr<UserDefaults> defaults);

    std::optional<std::string> string(std::string_view key) const;
    std::optional<bool> boolean(std::string_view key) const;
    std::optional<std::int64_t> integer(std::string_view key) const;
    std::optional<double> doubleValue(std::string_view key) const;
    std::optional<std::vector<std::uint8_t>> data(std::string_view key) const;

    void set(std::string_view key, std::string_view value);
    void set(std::string_view key, const std::string& value) { set(key, std::string_view(value)); }
    // Without this a string literal would convert to bool.
    void set(std::string_view key, const char* value) { set(key, std::string_view(value)); }
    void set(std::string_view key, bool value);
    void set(std::string_view key, double value);
    void set(std::string_view key, std::span<const std::uint8_t> bytes);
    void set(std::string_view key, const std::vector<std::uint8_t>& bytes) {
        set(key, std::span<const std::uint8_t>(bytes));
    }
    template <std::integral T>
        requires(!std::same_as<T, bool> && !std::same_as<T, char>)
    void set(std::string_view key, T value) {
        setInteger(key, static_cast<std::int64_t>(value));
    }

    void remove(std::string_view key);
    bool contains(std::string_view key) const;

    const std::filesystem::path& filePath() const;

    // Emitted with the key after every change (set or remove), once the file is written.
    Signal<const std::string&> didChange;

private:
    void setInteger(std::string_view key, std::int64_t value);

    struct Storage;
    std::unique_ptr<Storage> storage_;
};

} // namespace glimmo
