#pragma once

// A Chrome History database made for tests and benchmarks: the browser's own `urls` schema
// (with its `visits` companion) in a real SQLite file.

#include "platform/runtime/Date.h"

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace glimmo::testing {

inline std::int64_t chromeTime(Date date) {
    return static_cast<std::int64_t>(date.unixTime() * 1000000.0) + 11644473600000000LL;
}

class SyntheticHistory {
public:
    explicit SyntheticHistory(const std::filesystem::path& path) {
        if (sqlite3_open(path.c_str(), &database_) != SQLITE_OK) {
            throw std::runtime_error("cannot create " + path.string());
        }
        execute("CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);"
                "CREATE TABLE urls(id INTEGER PRIMARY KEY AUTOINCREMENT,url LONGVARCHAR,title LONGVARCHAR,"
                "visit_count INTEGER DEFAULT 0 NOT NULL,typed_count INTEGER DEFAULT 0 NOT NULL,"
                "last_visit_time INTEGER NOT NULL,hidden INTEGER DEFAULT 0 NOT NULL);"
                "CREATE INDEX urls_url_index ON urls (url);"
                "CREATE TABLE visits(id INTEGER PRIMARY KEY,url INTEGER NOT NULL,visit_time INTEGER NOT NULL,"
                "from_visit INTEGER,transition INTEGER DEFAULT 0 NOT NULL,segment_id INTEGER,"
                "visit_duration INTEGER DEFAULT 0 NOT NULL);");
        sqlite3_prepare_v2(database_,
                           "INSERT INTO urls(url, title, visit_count, last_visit_time) VALUES (?, ?, ?, ?)", -1,
                           &insert_, nullptr);
    }
    ~SyntheticHistory() {
        sqlite3_finalize(insert_);
        sqlite3_close(database_);
    }
    SyntheticHistory(const SyntheticHistory&) = delete;
    SyntheticHistory& operator=(const SyntheticHistory&) = delete;

    void add(const std::optional<std::string>& url, const std::optional<std::string>& title, int visitCount,
             Date lastVisit) {
        addRaw(url, title, visitCount, chromeTime(lastVisit));
    }

    void addRaw(const std::optional<std::string>& url, const std::optional<std::string>& title, int visitCount,
                std::int64_t chromeVisitTime) {
        sqlite3_reset(insert_);
        bindText(1, url);
        bindText(2, title);
        sqlite3_bind_int(insert_, 3, visitCount);
        sqlite3_bind_int64(insert_, 4, chromeVisitTime);
        if (sqlite3_step(insert_) != SQLITE_DONE) {
            throw std::runtime_error(sqlite3_errmsg(database_));
        }
    }

    void execute(const std::string& sql) {
        char* message = nullptr;
        if (sqlite3_exec(database_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string text = message ? message : "sqlite error";
            sqlite3_free(message);
            throw std::runtime_error(text);
        }
    }

private:
    void bindText(int index, const std::optional<std::string>& text) {
        if (text) {
            sqlite3_bind_text(insert_, index, text->c_str(), static_cast<int>(text->size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_null(insert_, index);
        }
    }

    sqlite3* database_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
};

} // namespace glimmo::testing
