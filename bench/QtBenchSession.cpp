#include "bench/QtBenchSession.h"

#include "app/UnifiedActivityService.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/QtTextMeasurer.h"

#include <cerrno>
#include <cstdlib>

namespace glimmo::bench {

OffscreenQt::OffscreenQt() : argv_{program_invocation_name, nullptr} {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    application_ = std::make_unique<QtApplication>(argc_, argv_);
    measurer_ = std::make_shared<QtTextMeasurer>();
}

OffscreenQt::~OffscreenQt() = default;

QtBenchSession::QtBenchSession() {
    UserDefaults::setStandard(std::make_shared<UserDefaults>(folder_.path() / "defaults.json"));
    service_ = std::make_shared<UnifiedActivityService>(nullptr, nullptr, nullptr);
}

QtBenchSession::~QtBenchSession() {
    service_.reset();
    UserDefaults::setStandard(nullptr);
}

} // namespace glimmo::bench
