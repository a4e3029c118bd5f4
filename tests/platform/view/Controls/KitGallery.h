#pragma once

// Gallery sheets of the controls and charts, rendered through the Qt backend offscreen and compared with
// the PNGs committed under docs/kit-gallery/ with the kit gallery's tolerance. GLIMMO_UPDATE_GALLERY=1
// rewrites a reference that differs (look at it, then commit it with the change that made it differ).

#include "../ViewTestSupport.h"

#include "platform/qt/OffscreenRendering.h"
#include "platform/qt/QtTextMeasurer.h"
#include "platform/view/ViewHost.h"
#include "tests/platform/qt/ImageComparison.h"
#include "tests/platform/qt/QtTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace glimmo::testing {

struct KitSheet {
    std::string name;   // file name without ".png"
    AnyView root;
    CGFloat width = 480;
    ColorScheme scheme = ColorScheme::light;
    // Input delivered once the sheet is laid out (a click into a field, an opened menu).
    std::function<void(ViewHost&)> interact;
};

// Clicks the middle of the view labelled `label` (accessibility label).
inline void clickLabelled(ViewHost& host, const std::string& label) {
    host.update();
    ViewNode* node = findLabelled(host.graph(), label);
    if (!node) throw std::runtime_error("no view labelled " + label);
    const CGRect f = node->elementsFrame();
    host.handlePointer(TestHost::pointer(PointerEvent::Kind::pressed, {f.midX(), f.midY()}));
    host.handlePointer(TestHost::pointer(PointerEvent::Kind::released, {f.midX(), f.midY()}));
    host.update();
}

inline PixelImage renderKitSheet(const KitSheet& sheet) {
    ViewHost host(sheet.root, std::make_shared<QtTextMeasurer>());
    host.setColorScheme(sheet.scheme);
    const CGSize fitted = host.sizeThatFits({sheet.width, std::nullopt});
    host.setSize({sheet.width, std::ceil(fitted.height)});
    host.displayList();
    if (sheet.interact) {
        sheet.interact(host);
        host.update();
    }
    return renderDisplayList(host.displayList(), 2);
}

inline void expectMatchesReference(const KitSheet& sheet) {
    namespace fs = std::filesystem;
    ensureQtApplication();
    const PixelImage actual = renderKitSheet(sheet);
    ASSERT_GT(actual.height, 40) << "the sheet laid out to nothing";
    const char* source = std::getenv("GLIMMO_SOURCE_DIR");
    const fs::path reference = fs::path(source ? source : ".") / "docs" / "kit-gallery" / (sheet.name + ".png");
    const GalleryTolerance tolerance;
    const bool exists = fs::exists(reference);
    const auto difference = exists ? compareImages(actual, readPNG(reference.string()), tolerance.channelThreshold) : ImageDifference{};
    const char* update = std::getenv("GLIMMO_UPDATE_GALLERY");
    if (update && std::string(update) == "1") {
        if (exists && difference.sameSize && compareImages(actual, readPNG(reference.string()), 0).differingPixels == 0) return;
        fs::create_directories(reference.parent_path());
        writePNG(actual, reference.string());
        GTEST_SKIP() << "rewrote " << reference;
    }
    ASSERT_TRUE(exists) << reference << " is missing; run with GLIMMO_UPDATE_GALLERY=1 to make it";
    if (!matches(difference, tolerance)) {
        const fs::path failed = fs::current_path() / "kit-gallery-actual" / (sheet.name + ".png");
        fs::create_directories(failed.parent_path());
        writePNG(actual, failed.string());
        FAIL() << sheet.name << " differs from " << reference << ": "
               << (difference.sameSize ? std::to_string(difference.differingPixels) + " of " + std::to_string(difference.totalPixels) + " pixels"
                                       : std::string("the size changed"))
               << "; the rendering is in " << failed;
    }
}

} // namespace glimmo::testing
