#pragma once

// The dashboard views' world: the analysis fixture (virtual-time main loop, preferences, per-day
// store, services on fake desktop parts) with a fake workspace installed as the shared one.

#include "platform/desktop/fakes/FakeWorkspace.h"
#include "tests/analysis/AnalysisFixture.h"
#include "tests/ui/Dashboard/ViewProbe.h"

#include <memory>
#include <string>

namespace glimmo::testing {

// The analysis world plus a fake workspace installed as the shared one.
class DashboardFixture : public AnalysisFixture {
protected:
    DashboardFixture() { Workspace::setShared(sharedWorkspace); }
    ~DashboardFixture() override { Workspace::setShared(nullptr); }

    // Runs the main loop's pending work, waiting for what runs on other threads (the history load, the
    // merge of a day's activities) and what it posts, then lets a second of virtual time pass, so
    // posted view updates take effect and animations finish.
    void settle() {
        for (int round = 0; round < 20; ++round) {
            loop->runUntil([this] { return !reader->isLoading() && pendingContinuationCount() == 0; }, 10);
            if (loop->runUntilIdle() == 0 && pendingContinuationCount() == 0) break;
        }
        loop->advance(1);
        loop->runUntilIdle();
    }

    std::shared_ptr<FakeWorkspace> sharedWorkspace = std::make_shared<FakeWorkspace>();
};

// A per-day store record for `day` ("yyyy-MM-dd") holding one answer.
inline DailyActivityData dayRecord(const std::string& day, const std::string& answer, Date savedAt) {
    DailyActivityData record;
    record.date = day;
    record.timeframes[day] = TimeframeData{answer, savedAt};
    record.lastUpdateTime = savedAt;
    return record;
}

} // namespace glimmo::testing
