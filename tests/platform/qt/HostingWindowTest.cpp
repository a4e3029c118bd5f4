// A real window on a private X server: the kit's root view receives clicks, pointer moves, key presses
// and tooltip requests through Qt and repaints what changed.

#include "platform/qt/HostingWidget.h"
#include "platform/qt/HostingWindow.h"
#include "platform/qt/QtTextMeasurer.h"
#include "platform/runtime/RunLoop.h"
#include "platform/view/Button.h"
#include "platform/view/ScrollView.h"
#include "platform/view/Structure.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/State.h"
#include "platform/view/Text.h"
#include "tests/platform/qt/XvfbTestEnvironment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QImage>
#include <QPixmap>
#include <QPointingDevice>
#include <QScreen>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>
#include <QWidget>

namespace glimmo {
namespace {

struct Observed {
    int taps = 0;
    bool hovering = false;
    std::string keys;
};

View<AnyView>::FlexibleFrame fillingFrame() {
    View<AnyView>::FlexibleFrame frame;
    frame.maxWidth = infinity;
    frame.maxHeight = infinity;
    frame.alignment = Alignment::topLeading();
    return frame;
}

struct Probe : View<Probe> {
    std::shared_ptr<Observed> observed;
    State<int> taps{0};
    State<bool> hovering{false};

    AnyView body() const {
        return VStack(HorizontalAlignment::leading(), 12, {
            Button("Count", [this] {
                taps.set(*taps + 1);
                ++observed->taps;
            }),
            Text("Taps: " + std::to_string(*taps)),
            Rectangle()
                .fill(*hovering ? Color::green() : Color::gray())
                .frame(120, 60)
                .onHover([this](bool inside) {
                    hovering.set(inside);
                    observed->hovering = inside;
                })
                .help("Hover area")
                .accessibilityLabel("Hover area"),
        })
            .padding(20)
            .frame(fillingFrame())
            .contentShape(Rectangle())
            .focusable()
            .onKeyPress([this](const KeyEvent& key) {
                observed->keys += key.key.empty() ? key.text : "<" + key.key + ">";
                return true;
            });
    }
};

// Waits on the main run loop (Qt's event loop) for `condition`, at most a few seconds.
bool eventually(const std::function<bool()>& condition) { return RunLoop::main().driveUntil(condition, 5); }

// What the X server shows of the widget: a grab of its screen area, not the widget's own rendering.
QImage screenImage(QWidget& widget) {
    QScreen* screen = widget.screen();
    return screen->grabWindow(widget.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

bool isGreenish(QRgb c) { return qGreen(c) > 150 && qRed(c) < 120 && qBlue(c) < 120; }
bool isGrayish(QRgb c) { return std::abs(qRed(c) - qGreen(c)) < 12 && std::abs(qGreen(c) - qBlue(c)) < 12 && qRed(c) < 200; }

// Where the display list draws the first text line that starts with `prefix`.
std::optional<QPoint> textCenter(ViewHost& host, const std::string& prefix) {
    for (const auto& item : host.displayList().items) {
        const auto* text = std::get_if<TextItem>(&item);
        if (!text || text->runs.empty() || !text->runs.front().text.starts_with(prefix)) continue;
        const auto& run = text->runs.front();
        return QPoint(static_cast<int>(text->origin.x + run.x + run.width / 2),
                      static_cast<int>(text->origin.y + text->lineHeight / 2));
    }
    return std::nullopt;
}

bool showsText(ViewHost& host, const std::string& text) {
    for (const auto& item : host.displayList().items) {
        if (const auto* t = std::get_if<TextItem>(&item)) {
            std::string line;
            for (const auto& run : t->runs) line += run.text;
            if (line == text) return true;
        }
    }
    return false;
}

class HostingWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::xvfbSkipReason().empty()) GTEST_SKIP() << testing::xvfbSkipReason();
        ASSERT_EQ(QGuiApplication::platformName(), "xcb");
        Probe probe;
        probe.observed = observed;
        window = std::make_unique<HostingWindow>(AnyView(probe));
        window->setTitle("Hosting test");
        window->resize({300, 240});
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window->widget(), 5000));
    }

    std::shared_ptr<Observed> observed = std::make_shared<Observed>();
    std::unique_ptr<HostingWindow> window;
    // The middle of the hover area, where the kit laid it out.
    QPoint hoverPoint() {
        for (const auto& element : window->host().accessibilityElements()) {
            if (element.label == "Hover area") {
                EXPECT_EQ(element.frame.size, (CGSize{120, 60}));
                return {static_cast<int>(element.frame.midX()), static_cast<int>(element.frame.midY())};
            }
        }
        ADD_FAILURE() << "no view labelled \"Hover area\"";
        return {};
    }
};

TEST_F(HostingWindowTest, ClickingTheButtonRunsItsActionAndRepaintsTheLabel) {
    EXPECT_EQ(window->contentSize(), (CGSize{300, 240}));
    const auto button = textCenter(window->host(), "Count");
    ASSERT_TRUE(button);
    ASSERT_TRUE(showsText(window->host(), "Taps: 0"));

    QTest::mouseClick(&window->widget(), Qt::LeftButton, {}, *button);
    ASSERT_TRUE(eventually([&] { return observed->taps == 1 && showsText(window->host(), "Taps: 1"); }));
    QTest::mouseClick(&window->widget(), Qt::LeftButton, {}, *button);
    ASSERT_TRUE(eventually([&] { return showsText(window->host(), "Taps: 2"); }));
    EXPECT_EQ(observed->taps, 2);

    // A press that leaves the button before the release is no click.
    QTest::mousePress(&window->widget(), Qt::LeftButton, {}, *button);
    QTest::mouseMove(&window->widget(), {280, 230});
    QTest::mouseRelease(&window->widget(), Qt::LeftButton, {}, {280, 230});
    RunLoop::main().driveUntil([] { return false; }, 0.1);
    EXPECT_EQ(observed->taps, 2);
}

TEST_F(HostingWindowTest, PointerMovesDriveHoverAndTheScreenShowsIt) {
    const QPoint inside = hoverPoint();
    ASSERT_GT(inside.y(), 0);
    ASSERT_TRUE(eventually([&] { return isGrayish(screenImage(window->widget()).pixel(inside)); }));

    QTest::mouseMove(&window->widget(), inside);
    ASSERT_TRUE(eventually([&] { return observed->hovering; }));
    EXPECT_TRUE(eventually([&] { return isGreenish(screenImage(window->widget()).pixel(inside)); }))
        << "the window was not repainted after the hover change";

    QTest::mouseMove(&window->widget(), {280, 20});
    ASSERT_TRUE(eventually([&] { return !observed->hovering; }));
    EXPECT_TRUE(eventually([&] { return isGrayish(screenImage(window->widget()).pixel(inside)); }));
}

TEST_F(HostingWindowTest, HelpTextShowsAsATooltipOverItsView) {
    const QPoint inside = hoverPoint();
    QTest::mouseMove(&window->widget(), inside);
    ASSERT_TRUE(eventually([&] { return observed->hovering; }));
    QHelpEvent help(QEvent::ToolTip, inside, window->widget().mapToGlobal(inside));
    QCoreApplication::sendEvent(&window->widget(), &help);
    ASSERT_TRUE(eventually([] { return QToolTip::isVisible(); }));
    EXPECT_EQ(QToolTip::text().toStdString(), "Hover area");

    QTest::mouseMove(&window->widget(), {280, 20});
    QHelpEvent elsewhere(QEvent::ToolTip, QPoint(280, 20), window->widget().mapToGlobal(QPoint(280, 20)));
    QCoreApplication::sendEvent(&window->widget(), &elsewhere);
    EXPECT_TRUE(eventually([] { return !QToolTip::isVisible(); }));
}

TEST_F(HostingWindowTest, KeyPressesReachTheFocusedView) {
    window->widget().activateWindow();
    QTest::mouseClick(&window->widget(), Qt::LeftButton, {}, {280, 200});
    QTest::keyClick(&window->widget(), Qt::Key_A);
    QTest::keyClick(&window->widget(), Qt::Key_Return);
    QTest::keyClick(&window->widget(), Qt::Key_Tab);
    ASSERT_TRUE(eventually([&] { return observed->keys.size() >= 3; }));
    EXPECT_EQ(observed->keys, "a<Return><Tab>");
}

class HostingWindowWheelTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::xvfbSkipReason().empty()) GTEST_SKIP() << testing::xvfbSkipReason();
        window = std::make_unique<HostingWindow>(AnyView(ScrollView(VStack(HorizontalAlignment::leading(), 0, {ForEach::range(0, 200, [](int i) {
            return Text("Row " + std::to_string(i)).frame(std::nullopt, 20).accessibilityLabel("row" + std::to_string(i));
        })}))));
        window->resize({200, 200});
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window->widget(), 5000));
    }
    // How far the list is scrolled: the first row's distance above the top.
    CGFloat offset() {
        for (const auto& element : window->host().accessibilityElements()) {
            if (element.label == "row0") return -element.frame.minY();
        }
        return -1;
    }
    bool turn(QPoint pixelDelta, QPoint angleDelta, const QPointingDevice* device = QPointingDevice::primaryPointingDevice()) {
        const QPointF at(100, 100);
        QWheelEvent wheel(at, window->widget().mapToGlobal(at), pixelDelta, angleDelta, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false, Qt::MouseEventNotSynthesized, device);
        QCoreApplication::sendEvent(&window->widget(), &wheel);
        return wheel.isAccepted();
    }
    std::unique_ptr<HostingWindow> window;
};

TEST_F(HostingWindowWheelTest, EachNotchScrollsTheDesktopsLinesOfBodyText) {
    ASSERT_EQ(offset(), 0);
    // Four notches towards the user from a mouse whose driver also reports a small pixel distance.
    for (int notch = 0; notch < 4; ++notch) EXPECT_TRUE(turn(QPoint(0, -10), QPoint(0, -120)));
    const FontMetrics body = QtTextMeasurer().metrics(Font::body().resolve());
    const CGFloat line = body.ascent + body.descent + body.leading;
    ASSERT_TRUE(eventually([&] { return offset() > 0; }));
    EXPECT_NEAR(offset(), 4 * QApplication::wheelScrollLines() * line, 0.01);
    EXPECT_GT(line, 13) << "a line of Inter at 13 points";
}

TEST_F(HostingWindowWheelTest, ATouchpadScrollsByTheDistanceTheFingersMoved) {
    const QPointingDevice touchpad("touchpad", 4242, QInputDevice::DeviceType::TouchPad, QPointingDevice::PointerType::Finger,
                                   QInputDevice::Capability::Position | QInputDevice::Capability::Scroll |
                                       QInputDevice::Capability::PixelScroll,
                                   2, 0);
    EXPECT_TRUE(turn(QPoint(0, -100), QPoint(0, -120), &touchpad));
    ASSERT_TRUE(eventually([&] { return offset() > 0; }));
    EXPECT_EQ(offset(), 100);
    EXPECT_TRUE(turn(QPoint(0, 40), QPoint(0, 48), &touchpad));
    ASSERT_TRUE(eventually([&] { return offset() < 100; }));
    EXPECT_EQ(offset(), 60);
    EXPECT_EQ(window->host().accessibilityElements().front().label, "row0");
}

} // namespace
} // namespace glimmo
