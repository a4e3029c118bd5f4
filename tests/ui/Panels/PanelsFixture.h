#pragma once

#include "analysis/ShownDayWork.h"
#include "platform/runtime/Task.h"
#include "tests/platform/view/ViewTestSupport.h"
#include "tests/ui/Panels/PanelsTestSupport.h"
#include "tests/ui/Panels/PanelsWorld.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace glimmo::testing {

// The analysis world with a view hosted in it.
class PanelsFixture : public ::testing::Test {
protected:
    // What the views started ends before the world does: a model still waiting for a reply would
    // outlive the stores it refers to and act on them in a later test.
    ~PanelsFixture() override {
        loop->runUntil([] { return pendingContinuationCount() == 0; }, 20);
        loop->runUntilIdle();
    }

    std::unique_ptr<TestHost> host(AnyView root, CGSize size) {
        auto made = std::make_unique<TestHost>(std::move(root), size);
        settle(*made);
        return made;
    }
    // Runs the main loop and the host's updates until nothing is left to do.
    void settle(TestHost& t) {
        for (int round = 0; round < 20; ++round) {
            const std::size_t ran = loop->runUntilIdle();
            const bool updated = t.host().update();
            if (ran == 0 && !updated) return;
        }
    }
    // Runs the loop (real time for the loopback servers) until `done`, at most 20 s.
    bool waitFor(TestHost& t, const std::function<bool()>& done) {
        const bool reached = loop->runUntil(
            [&] {
                t.host().update();
                return done();
            },
            20);
        settle(t);
        return reached;
    }
    const DisplayList& drawn(TestHost& t) {
        settle(t);
        return t.host().displayList();
    }

    PanelsWorld world;
    std::shared_ptr<ManualRunLoop> loop = world.loop();
    std::shared_ptr<ActivityMonitor> monitor = world.monitor();
    std::shared_ptr<ChromeHistoryReader> reader = world.reader();
    std::shared_ptr<UnifiedActivityService> service = world.service();
};

// The journal layout's world: each day's journal is "wrote the report", the day analysis fails.
class JournalLayoutTest : public PanelsFixture {
protected:
    JournalLayoutTest() {
        world.answerOpenAI(200, openAIReplyWithText("- **Work** 🛠: wrote the report"));
        world.answerGemini(500, R"({"error": {"code": 500, "message": "boom", "status": "INTERNAL"}})");
    }
    // The day a test stepped to settles, so that what it asks for ends before the world does.
    ~JournalLayoutTest() override { loop->advance(ShownDayWork::settleSeconds); }
};

inline KeyEvent typedKey(std::string text) {
    KeyEvent e;
    e.text = std::move(text);
    return e;
}
inline KeyEvent namedKey(std::string name) {
    KeyEvent e;
    e.key = std::move(name);
    return e;
}
inline void typeText(TestHost& t, const std::string& text) {
    for (char c : text) t.host().handleKey(typedKey(std::string(1, c)));
    t.host().update();
}

} // namespace glimmo::testing
