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

// A byte value whose bytes are made only when they are needed: when the file is written (on the
// writer thread) or when data(key) is read. It must not change once set, since bytes() may run on any
// thread, at any time, more than once. A large value so costs its caller no encoding at all.
class DefaultsData {
public:
    virtual ~DefaultsData() = default;
    virtual std::vector<std::uint8_t> bytes() const = 0;
    // How many bytes bytes() makes, when that is known without making them (bytes read from the file or
    // set as they are); nullopt otherwise.
    virtual std::optional<std::size_t> knownSize() const { return std::nullopt; }
};

// Typed persistent values kept in one JSON file. A change is made in memory and the file is written
// behind it, on a thread of the defaults' own: atomically, promptly (a write starts as soon as the
// last one ended) and coalesced (changes made meanwhile go out together in the next write). flush()
// and the destructor wait for the writes. A file that cannot be read or parsed, or that holds more
// than the reader takes, is moved aside (never lost) and the values start empty; a text the reader
// would not take is never written. Used from the main thread only.
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
    // The byte value as stored, without making its bytes: the same object until the key changes, so
    // a reader may keep what it made of it. nullptr when the key holds no bytes.
    std::shared_ptr<const DefaultsData> dataValue(std::string_view key) const;

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
    // Kept as given (not null); its bytes are made when the file is written.
    void set(std::string_view key, std::shared_ptr<const DefaultsData> bytes);
    template <std::integral T>
        requires(!std::same_as<T, bool> && !std::same_as<T, char>)
    void set(std::string_view key, T value) {
        setInteger(key, static_cast<std::int64_t>(value));
    }

    void remove(std::string_view key);
    bool contains(std::string_view key) const;

    const std::filesystem::path& filePath() const;

    // Returns once every change made so far is written (or its write has failed and been logged).
    void flush();
    // flush() on the shared instance, when there is one: the application's last step when it quits.
    static void flushStandard();

    // Emitted with the key after every change (set or remove), on the caller's thread, once the value
    // reads back; the file is written after it.
    Signal<const std::string&> didChange;

private:
    void setInteger(std::string_view key, std::int64_t value);

    struct Storage;
    std::unique_ptr<Storage> storage_;
};

} // namespace glimmo
