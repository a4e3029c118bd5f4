#include "platform/qt/QtTextMeasurer.h"

#include "platform/qt/KitFonts.h"
#include "platform/qt/QtCaches.h"
#include "platform/qt/QtFontMapping.h"

#include <QFontMetricsF>
#include <QString>

#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace glimmo {

// Layout asks for the same few fonts and the same words again and again; both are cached. The caches
// are bounded: a long-running window sees an open-ended stream of words.
struct QtTextMeasurer::Impl {
    struct Entry {
        ResolvedFont font;
        QFontMetricsF metrics;
        double scale;
        std::unordered_map<std::string, double> advances;
    };
    static constexpr std::size_t maximumFonts = 64;
    static constexpr std::size_t maximumWordsPerFont = 20000;

    std::mutex mutex;
    std::vector<Entry> entries;
    // The fonts go with the application; a measurer kept longer measures with fonts made afresh.
    QtCacheRegistration registration{[this] {
        const std::lock_guard lock(mutex);
        entries.clear();
    }};

    Entry& entry(const ResolvedFont& font) {
        for (auto& e : entries) {
            if (e.font == font) return e;
        }
        if (entries.size() >= maximumFonts) entries.clear();
        const ScaledQFont q = qtFont(font, measuringDevice());
        entries.push_back({font, QFontMetricsF(q.font, &measuringDevice()), q.scale, {}});
        return entries.back();
    }
};

QtTextMeasurer::QtTextMeasurer() : impl_(std::make_unique<Impl>()) { loadKitFonts(); }

QtTextMeasurer::~QtTextMeasurer() = default;

FontMetrics QtTextMeasurer::metrics(const ResolvedFont& font) const {
    const std::lock_guard lock(impl_->mutex);
    const Impl::Entry& e = impl_->entry(font);
    return {e.metrics.ascent() * e.scale, e.metrics.descent() * e.scale, e.metrics.leading() * e.scale};
}

double QtTextMeasurer::advance(std::string_view utf8, const ResolvedFont& font) const {
    if (utf8.empty()) return 0;
    const std::lock_guard lock(impl_->mutex);
    Impl::Entry& e = impl_->entry(font);
    const std::string key(utf8);
    if (const auto found = e.advances.find(key); found != e.advances.end()) return found->second;
    const QString text = textForFont(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())), font);
    const double width = (font.monospacedDigits && containsDigit(text) ? tabularAdvance(text, e.metrics)
                                                                        : e.metrics.horizontalAdvance(text)) *
                         e.scale;
    if (e.advances.size() >= Impl::maximumWordsPerFont) e.advances.clear();
    e.advances.emplace(key, width);
    return width;
}

} // namespace glimmo
