// An application for the runner's quit test: says "ready" once its loop runs, changes a setting as
// its application object goes, and ends without the process's own teardown, so that only the runner
// can have written that setting.
#include "platform/foundation/UserDefaults.h"
#include "platform/runtime/RunLoop.h"
#include "platform/scenes/ApplicationRunner.h"
#include "platform/view/Structure.h"

#include <cstdio>

#include <unistd.h>

namespace {

struct QuittingApplication final : glimmo::App {
    QuittingApplication() {
        glimmo::RunLoop::main().post([] {
            std::puts("ready");
            std::fflush(stdout);
        });
    }
    ~QuittingApplication() override { glimmo::UserDefaults::standard().set("lastQuit", "as its object went"); }
    std::vector<glimmo::Scene> body() override {
        return {glimmo::WindowGroup{.content = [] { return glimmo::AnyView(glimmo::EmptyView()); }}};
    }
};

} // namespace

int main(int argc, char** argv) {
    ::_exit(glimmo::runApplication<QuittingApplication>(argc, argv, "QuittingApplication"));
}
