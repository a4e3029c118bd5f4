#pragma once

// The kit's text measurer on Qt's font engine, with the fonts of loadKitFonts(). The painter draws with
// the same QFont for the same ResolvedFont, so measured widths are the drawn widths.

#include "platform/view/TextMeasurer.h"

#include <memory>

namespace glimmo {

class QtTextMeasurer final : public TextMeasurer {
public:
    // Needs a QGuiApplication; loads the kit's fonts when they are not loaded yet (MissingFontError).
    QtTextMeasurer();
    ~QtTextMeasurer() override;
    QtTextMeasurer(const QtTextMeasurer&) = delete;
    QtTextMeasurer& operator=(const QtTextMeasurer&) = delete;

    FontMetrics metrics(const ResolvedFont& font) const override;
    double advance(std::string_view utf8, const ResolvedFont& font) const override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace glimmo
