#include "tests/ui/Panels/PanelsTestSupport.h"

#include "platform/qt/OffscreenRendering.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/QtTextMeasurer.h"
#include "platform/runtime/Task.h"
#include "platform/view/ViewHost.h"
#include "tests/ui/Gallery/GalleryReference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <variant>

namespace glimmo::testing {

std::vector<ShownText> shownTexts(const DisplayList& list) {
    std::vector<ShownText> out;
    std::vector<CGAffineTransform> transforms;
    auto toWindow = [&](CGPoint p) {
        for (auto it = transforms.rbegin(); it != transforms.rend(); ++it) p = it->apply(p);
        return p;
    };
    for (const DisplayItem& item : list.items) {
        if (const auto* push = std::get_if<PushTransform>(&item)) {
            transforms.push_back(push->transform);
        } else if (std::holds_alternative<PopTransform>(item)) {
            if (!transforms.empty()) transforms.pop_back();
        } else if (const auto* text = std::get_if<TextItem>(&item)) {
            if (text->runs.empty()) continue;
            ShownText shown;
            for (const auto& run : text->runs) shown.text += run.text;
            shown.origin = toWindow(text->origin);
            shown.color = text->runs.front().color;
            shown.font = text->runs.front().font;
            out.push_back(std::move(shown));
        }
    }
    return out;
}

std::optional<ShownText> findText(const DisplayList& list, const std::string& part) {
    for (auto& shown : shownTexts(list)) {
        if (shown.text.find(part) != std::string::npos) return shown;
    }
    return std::nullopt;
}

bool shows(const DisplayList& list, const std::string& part) {
    return findText(list, part).has_value();
}

std::vector<RGBA> fillColorsInside(const DisplayList& list, const CGRect& rect) {
    std::vector<RGBA> out;
    std::vector<CGAffineTransform> transforms;
    for (const DisplayItem& item : list.items) {
        if (const auto* push = std::get_if<PushTransform>(&item)) {
            transforms.push_back(push->transform);
        } else if (std::holds_alternative<PopTransform>(item)) {
            if (!transforms.empty()) transforms.pop_back();
        } else if (const auto* fill = std::get_if<FillItem>(&item)) {
            const CGRect bounds = fill->path.boundingRect();
            CGPoint centre{bounds.midX(), bounds.midY()};
            for (auto it = transforms.rbegin(); it != transforms.rend(); ++it) centre = it->apply(centre);
            if (rect.contains(centre)) {
                if (const auto* color = std::get_if<RGBA>(&fill->paint)) out.push_back(*color);
            }
        }
    }
    return out;
}

namespace {

// Calls `visit` with each item and the rectangle-to-window mapping in force at it.
template <class Visit>
void walkWithTransforms(const DisplayList& list, Visit visit) {
    std::vector<CGAffineTransform> transforms;
    auto toWindow = [&](const CGRect& r) {
        CGPoint a = r.origin;
        CGPoint b{r.maxX(), r.maxY()};
        for (auto it = transforms.rbegin(); it != transforms.rend(); ++it) {
            a = it->apply(a);
            b = it->apply(b);
        }
        return CGRect(std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y));
    };
    for (const DisplayItem& item : list.items) {
        if (const auto* push = std::get_if<PushTransform>(&item)) {
            transforms.push_back(push->transform);
        } else if (std::holds_alternative<PopTransform>(item)) {
            if (!transforms.empty()) transforms.pop_back();
        } else {
            visit(item, toWindow);
        }
    }
}

} // namespace

std::vector<CGRect> clipRects(const DisplayList& list) {
    std::vector<CGRect> out;
    walkWithTransforms(list, [&](const DisplayItem& item, const auto& toWindow) {
        if (const auto* clip = std::get_if<PushClip>(&item)) out.push_back(toWindow(clip->path.boundingRect()));
    });
    return out;
}

std::vector<CGRect> fillRectsAt(const DisplayList& list, CGPoint point) {
    std::vector<CGRect> out;
    walkWithTransforms(list, [&](const DisplayItem& item, const auto& toWindow) {
        const auto* fill = std::get_if<FillItem>(&item);
        if (!fill || !std::holds_alternative<RGBA>(fill->paint)) return;
        const CGRect bounds = toWindow(fill->path.boundingRect());
        if (bounds.contains(point)) out.push_back(bounds);
    });
    return out;
}

namespace {

std::unique_ptr<QtApplication>& offscreenApplication() {
    static std::unique_ptr<QtApplication> application;
    return application;
}

} // namespace

void ensureOffscreenQt() {
    static int argc = 1;
    static char name[] = "ui_panels_tests";
    static char* argv[] = {name, nullptr};
    auto& application = offscreenApplication();
    if (application) return;
    application = std::make_unique<QtApplication>(argc, argv);
}

namespace {

// Qt must be shut down while main() still runs: its thread storage is gone once statics are
// destroyed.
class OffscreenQtEnvironment : public ::testing::Environment {
public:
    void TearDown() override { offscreenApplication().reset(); }
};
// gtest takes ownership of the environment.
[[maybe_unused]] ::testing::Environment* const offscreenQtEnvironment =
    ::testing::AddGlobalTestEnvironment(std::make_unique<OffscreenQtEnvironment>().release());

} // namespace

namespace {

// A scene is drawn once it has settled: no work in flight outside the loop (a request, a worker),
// nothing posted and no update pending. How fast replies come depends on the build and the machine.
void settle(ViewHost& host, ManualRunLoop& loop) {
    for (int round = 0; round < 100; ++round) {
        if (!loop.runUntil([] { return pendingContinuationCount() == 0; }, 20)) break;
        const std::size_t ran = loop.runUntilIdle();
        const bool updated = host.update();
        if (ran == 0 && !updated && pendingContinuationCount() == 0) return;
    }
    ADD_FAILURE() << "the scene did not settle: " << pendingContinuationCount() << " operations still in flight";
}

} // namespace

void expectGalleryShot(const AnyView& root, CGSize size, const std::string& name,
                             const std::shared_ptr<ManualRunLoop>& loop,
                             const std::function<bool(const DisplayList&)>& ready) {
    ensureOffscreenQt();
    RunLoop::setMain(loop);
    ViewHost host(root, std::make_shared<QtTextMeasurer>());
    host.setSize(size);
    settle(host, *loop);
    if (ready) {
        loop->runUntil(
            [&] {
                host.update();
                return ready(host.displayList());
            },
            20);
    }
    expectMatchesGallery(renderDisplayList(host.displayList(), 2), "ui-gallery", name);
}

} // namespace glimmo::testing
