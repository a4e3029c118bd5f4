#pragma once

// Qt offscreen for a benchmark: the application (one a process) and text measured with Qt. A session
// adds what the views showing a reply need: a fresh folder holding the standard user defaults, and an
// activity service with nothing behind it.

#include "tests/support/TemporaryDirectory.h"

#include <filesystem>
#include <memory>

namespace glimmo {

class QtApplication;
class TextMeasurer;
class UnifiedActivityService;

namespace bench {

class OffscreenQt {
public:
    OffscreenQt();
    ~OffscreenQt();
    OffscreenQt(const OffscreenQt&) = delete;
    OffscreenQt& operator=(const OffscreenQt&) = delete;

    const std::shared_ptr<const TextMeasurer>& measurer() const { return measurer_; }

private:
    int argc_ = 1; // Qt keeps referring to it
    char* argv_[2];
    std::unique_ptr<QtApplication> application_;
    std::shared_ptr<const TextMeasurer> measurer_;
};

class QtBenchSession : public OffscreenQt {
public:
    QtBenchSession();
    ~QtBenchSession();

    const std::filesystem::path& folder() const { return folder_.path(); }
    const std::shared_ptr<UnifiedActivityService>& service() const { return service_; }

private:
    testing::TemporaryDirectory folder_;
    std::shared_ptr<UnifiedActivityService> service_;
};

} // namespace bench
} // namespace glimmo
