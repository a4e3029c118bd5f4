#pragma once

// The services of a day of work for a benchmark, as the application runs them on a virtual-time main
// loop: `visits` browser visits since midnight in a History file, 300 activity records of 40
// applications, a monitor and a history reader on fake desktop services, and a Gemini server on
// 127.0.0.1 that answers every request at once with `geminiText` as its reply, in a fresh folder.
// Given a record file as an older version left it (OlderRecordFile.h), the monitor starts on a copy of
// it instead of the 300 records: its conversion runs behind the start, and reports wait for it as on
// the first start after an upgrade.

#include "app/ActivityMonitor.h"
#include "app/ChromeHistoryReader.h"
#include "app/UnifiedActivityService.h"
#include "platform/desktop/fakes/FakeAccessibility.h"
#include "platform/desktop/fakes/FakeInputActivityTap.h"
#include "platform/desktop/fakes/FakeWorkspace.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/runtime/ManualRunLoop.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TemporaryDirectory.h"

#include <filesystem>
#include <memory>
#include <string>

namespace glimmo::bench {

struct DayServices {
    DayServices(int visits, const std::string& geminiText, const std::filesystem::path& olderRecordFile = {});
    ~DayServices();
    DayServices(const DayServices&) = delete;
    DayServices& operator=(const DayServices&) = delete;

    // Reads the History file as the application does at its start; ends the program when it cannot.
    void loadHistory();

    const testing::TemporaryDirectory folder;
    const std::shared_ptr<ManualRunLoop> loop;
    testing::LoopbackServer gemini;
    testing::ScopedEnvironment environment;
    NotificationCenter notifications;
    const std::shared_ptr<FakeWorkspace> workspace = std::make_shared<FakeWorkspace>();
    FakeAccessibility accessibility;
    FakeInputActivityTap tap;
    std::shared_ptr<ActivityMonitor> monitor;
    std::shared_ptr<ChromeHistoryReader> reader;
    std::shared_ptr<UnifiedActivityService> service;
};

} // namespace glimmo::bench
