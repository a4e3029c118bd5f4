#pragma once

// A history reader on a manual run loop, its History file and copy in a fresh folder, and the lines
// it logs and prints.

#include "app/ChromeHistoryReader.h"
#include "app/CommittedDatabaseCopy.h"
#include "app/URLHost.h"
#include "platform/desktop/fakes/FakeWorkspace.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Log.h"
#include "platform/runtime/ManualRunLoop.h"
#include "platform/runtime/Task.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace glimmo::testing {

class ChromeHistoryReaderFixture : public ::testing::Test {
protected:
    ChromeHistoryReaderFixture() {
        setDefaultTimeZone("UTC");
        RunLoop::setMain(loop);
        setLogSinkForTesting([this](LogLevel level, std::string_view line) {
            (level == LogLevel::standardOutput ? printed : logged).emplace_back(line);
        });
        ChromeHistoryReader::resetLastLoadTimeForTesting();
    }
    ~ChromeHistoryReaderFixture() override {
        reader.reset();
        setCommittedDatabaseCopyHookForTesting({});
        RunLoop::setMain(nullptr);
        setLogSinkForTesting({});
        setDefaultTimeZone("");
        ChromeHistoryReader::resetLastLoadTimeForTesting();
    }

    std::vector<std::string> urls() const {
        std::vector<std::string> result;
        for (const HistoryItem& item : reader->historyItems.get()) {
            result.push_back(item.url);
        }
        return result;
    }

    HistoryItem visit(std::string url, Date when, std::string title = "") {
        HistoryItem item;
        item.url = std::move(url);
        item.host = hostOfVisitedURL(item.url);
        item.title = std::move(title);
        item.lastVisit = when;
        return item;
    }

    TemporaryDirectory directory;
    std::filesystem::path source = directory.path() / "History";
    std::filesystem::path copy = directory.path() / "private" / "chromeHistory.db";
    std::shared_ptr<ManualRunLoop> loop = std::make_shared<ManualRunLoop>(Date::fromUnixTime(1796637600)); // 2026-12-07 10:00:00 UTC
    const Clock& clock = loop->clock();
    FakeWorkspace workspace;
    std::vector<std::string> printed;
    std::vector<std::string> logged;
    std::unique_ptr<ChromeHistoryReader> reader;

    void makeReader(HistoryReadLimits limits = {}) {
        std::filesystem::create_directories(copy.parent_path());
        reader = std::make_unique<ChromeHistoryReader>(clock, workspace, source, copy, limits);
    }

    // Asks for a load and waits until the lists hold its result.
    void load(ChromeHistoryReader& target) { runBlocking(*loop, target.reloadHistory(), 10); }
    void load() { load(*reader); }
};

} // namespace glimmo::testing
