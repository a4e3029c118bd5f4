// Measures the Qt backend against plain Qt doing the same work, in the same run, and prints one
// `ratio <name> <value>` line per comparison (backend time / plain Qt time, lower is better): text
// measuring, painting a display list, scrolling a long text, painting a large decoded image, posting to the main run loop. Runs
// offscreen unless QT_QPA_PLATFORM says otherwise. Use a release build for meaningful numbers.

#include "platform/qt/DisplayListPainter.h"
#include "platform/qt/OffscreenRendering.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/QtRunLoop.h"
#include "platform/qt/QtTextMeasurer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QObject>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace {

using namespace glimmo;

template <class Work>
double secondsFor(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void report(const char* name, const char* ratioName, long items, double backendSeconds, double baselineSeconds) {
    std::printf("%-40s %12.0f items/s  baseline %12.0f items/s\n", name, static_cast<double>(items) / backendSeconds,
                static_cast<double>(items) / baselineSeconds);
    std::printf("ratio %s %.2f\n", ratioName, backendSeconds / baselineSeconds);
}

std::vector<std::string> words(int count) {
    std::vector<std::string> out;
    const char* stems[] = {"time", "tracker", "application", "window", "focus", "report", "minutes", "summary"};
    for (int i = 0; i < count; ++i) out.push_back(std::string(stems[i % 8]) + std::to_string(i % 97));
    return out;
}

// Layout asks for the same words many times: the measurer against QFontMetricsF for every request.
void measuring() {
    const auto list = words(20000);
    const QtTextMeasurer measurer;
    ResolvedFont font;
    double sink = 0;
    const double backend = secondsFor([&] {
        for (int pass = 0; pass < 5; ++pass) {
            for (const auto& w : list) sink += measurer.advance(w, font);
        }
    });
    QFont qfont("Inter");
    qfont.setPixelSize(13);
    qfont.setHintingPreference(QFont::PreferNoHinting);
    const QFontMetricsF metrics(qfont);
    const double baseline = secondsFor([&] {
        for (int pass = 0; pass < 5; ++pass) {
            for (const auto& w : list) sink += metrics.horizontalAdvance(QString::fromStdString(w));
        }
    });
    report("text advance (repeated words)", "qt_text_advance_repeated_words", 5 * static_cast<long>(list.size()), backend, baseline);
    if (sink < 0) std::puts("");
}

// A window-sized frame, repainted: 2,000 rounded rectangles and 500 text lines. The runs carry a slot
// for their glyphs, as the kit's text layout makes them, so the backend shapes each once; plain Qt
// draws the strings each time.
void painting() {
    constexpr int rects = 2000;
    constexpr int lines = 500;
    DisplayList list;
    list.size = {800, 600};
    const QtTextMeasurer measurer;
    ResolvedFont font;
    for (int i = 0; i < rects; ++i) {
        const CGRect r((i * 37) % 760, (i * 53) % 580, 30, 16);
        list.items.emplace_back(FillItem{Path::roundedRect(r, 4), RGBA{0.2, 0.4, 0.8, 1}});
    }
    for (int i = 0; i < lines; ++i) {
        TextItem line;
        line.origin = {static_cast<double>((i * 29) % 700), static_cast<double>((i * 17) % 580)};
        line.lineHeight = 16;
        TextRunItem run;
        run.text = "Line " + std::to_string(i);
        run.font = font;
        run.width = measurer.advance(run.text, font);
        run.baseline = 12.5;
        run.painted = PaintedRunSlot::make();
        line.runs.push_back(run);
        list.items.emplace_back(line);
    }
    constexpr int frames = 20;
    const double backend = secondsFor([&] {
        for (int f = 0; f < frames; ++f) renderDisplayList(list, 1);
    });
    QFont qfont("Inter");
    qfont.setPixelSize(13);
    qfont.setHintingPreference(QFont::PreferNoHinting);
    const double baseline = secondsFor([&] {
        for (int f = 0; f < frames; ++f) {
            QImage image(800, 600, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
            for (int i = 0; i < rects; ++i) {
                QPainterPath path;
                path.addRoundedRect(QRectF((i * 37) % 760, (i * 53) % 580, 30, 16), 4, 4);
                painter.fillPath(path, QColor::fromRgbF(0.2f, 0.4f, 0.8f));
            }
            painter.setFont(qfont);
            for (int i = 0; i < lines; ++i) {
                painter.drawText(QPointF((i * 29) % 700, (i * 17) % 580 + 12.5), QString::fromStdString("Line " + std::to_string(i)));
            }
            painter.end();
            (void)image.convertToFormat(QImage::Format_RGBA8888);
        }
    });
    report("paint frame (2,000 shapes, 500 lines)", "qt_paint_frame", frames, backend, baseline);
}

// A long text scrolled in a window, one frame per wheel step, painted into the window's frame image
// as the window paints: 5,000 laid-out lines in a clipped scroll view, 40 of them on screen. The backend
// walks the whole list, skips what cannot show and draws the rest from glyphs kept since the lines were
// first painted; plain Qt is told which lines show and draws their strings.
void scrolling() {
    constexpr int lines = 5000;
    constexpr double lineHeight = 15;
    constexpr double baseline = 12;
    constexpr double step = 37;
    constexpr int frames = 300;
    const QtTextMeasurer measurer;
    ResolvedFont font;
    std::vector<QString> strings;
    DisplayList list;
    list.size = {800, 600};
    list.items.emplace_back(PushClip{Path::rect({0, 0, 800, 600})});
    list.items.emplace_back(PushTransform{}); // the scroll offset, set for each frame
    for (int i = 0; i < lines; ++i) {
        TextRunItem run;
        run.text = "Line " + std::to_string(i) + ": focus minutes in the time tracker's summary report, by window";
        run.font = font;
        run.width = measurer.advance(run.text, font);
        run.baseline = baseline;
        run.painted = PaintedRunSlot::make();
        strings.push_back(QString::fromStdString(run.text));
        TextItem line;
        line.origin = {8, i * lineHeight};
        line.lineHeight = lineHeight;
        line.runs.push_back(std::move(run));
        list.items.emplace_back(std::move(line));
    }
    list.items.emplace_back(PopTransform{});
    list.items.emplace_back(PopClip{});
    QImage frame(800, 600, QImage::Format_ARGB32_Premultiplied);
    frame.setDotsPerMeterX(2835); // 72 dpi, as the window's frame
    frame.setDotsPerMeterY(2835);
    const double backend = secondsFor([&] {
        for (int f = 0; f < frames; ++f) {
            std::get<PushTransform>(list.items[1]).transform = CGAffineTransform::translation(0, -f * step);
            QPainter painter(&frame);
            paintDisplayList(list, painter);
        }
    });
    QFont qfont("Inter");
    qfont.setPixelSize(13);
    qfont.setHintingPreference(QFont::PreferNoHinting);
    const double plain = secondsFor([&] {
        for (int f = 0; f < frames; ++f) {
            const double offset = f * step;
            frame.fill(Qt::white);
            QPainter painter(&frame);
            painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
            painter.setFont(qfont);
            const int first = static_cast<int>(offset / lineHeight);
            const int last = std::min(lines - 1, static_cast<int>((offset + 600) / lineHeight));
            for (int i = first; i <= last; ++i) painter.drawText(QPointF(8, i * lineHeight + baseline - offset), strings[i]);
        }
    });
    report("scroll frame (5,000 lines, 40 shown)", "qt_scroll_long_text", frames, backend, plain);
}

// A 4096 x 4096 decoded image shown scaled into an 800 x 600 window, repainted: the backend draws from
// the decoded bytes and keeps no copy; the baseline draws a copy converted for Qt once beforehand, the
// fastest a painter can repaint at the price of a second image's memory.
void imagePainting() {
    constexpr int side = 4096;
    PixelImage decoded;
    decoded.width = decoded.height = side;
    decoded.rgba.resize(static_cast<std::size_t>(side) * side * 4);
    for (std::size_t i = 0; i < decoded.rgba.size(); ++i) decoded.rgba[i] = static_cast<std::uint8_t>((i * 7) ^ (i >> 14));
    const auto pixels = std::make_shared<const PixelImage>(std::move(decoded));
    DisplayList list;
    list.size = {800, 600};
    list.items.emplace_back(ImageItem{pixels, {0, 0, 800, 600}, ImageItem::Interpolation::high});
    constexpr int frames = 20;
    const double backend = secondsFor([&] {
        for (int f = 0; f < frames; ++f) renderDisplayList(list, 1);
    });
    const QImage converted = QImage(pixels->rgba.data(), side, side, side * 4, QImage::Format_RGBA8888)
                                 .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const double baseline = secondsFor([&] {
        for (int f = 0; f < frames; ++f) {
            QImage image(800, 600, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(QRectF(0, 0, 800, 600), converted);
            painter.end();
            (void)image.convertToFormat(QImage::Format_RGBA8888);
        }
    });
    std::printf("%-40s copies kept: backend 0 bytes, baseline %lld bytes\n", "paint large image",
                static_cast<long long>(converted.sizeInBytes()));
    report("paint large image (4096 x 4096 shown 800 x 600)", "qt_paint_large_image", frames, backend, baseline);
}

// Work posted to the main run loop against QMetaObject::invokeMethod on a plain QObject.
void posting(QtRunLoop& loop) {
    constexpr long count = 200000;
    long done = 0;
    const double backend = secondsFor([&] {
        for (long i = 0; i < count; ++i) loop.post([&done] { ++done; });
        loop.driveUntil([&] { return done == count; }, 60);
    });
    QObject context;
    long plain = 0;
    const double baseline = secondsFor([&] {
        for (long i = 0; i < count; ++i) QMetaObject::invokeMethod(&context, [&plain] { ++plain; }, Qt::QueuedConnection);
        loop.driveUntil([&] { return plain == count; }, 60);
    });
    report("posted work on the main loop", "qt_posted_work", count, backend, baseline);
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QtApplication application(argc, argv);
    std::puts("# ratio lines: backend time / plain Qt time for the same work, lower is better");
    measuring();
    painting();
    scrolling();
    imagePainting();
    posting(application.mainLoop());
    return 0;
}
