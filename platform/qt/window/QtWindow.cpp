#include "platform/window/Window.h"

#include "platform/foundation/NumberText.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/qt/window/QtWindowSupport.h"
#include "platform/window/AnimationContext.h"
#include "platform/window/NativeView.h"
#include "platform/window/Toolbar.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <string_view>

namespace glimmo {

namespace detail {
void installEventSources();
} // namespace detail

namespace {

std::map<const QWidget*, Window*>& windowsByWidget() {
    static std::map<const QWidget*, Window*> map;
    return map;
}

QRect toQRect(CGRect r) {
    return QRect(static_cast<int>(std::lround(r.origin.x)), static_cast<int>(std::lround(r.origin.y)),
                 std::max(1, static_cast<int>(std::lround(r.size.width))),
                 std::max(1, static_cast<int>(std::lround(r.size.height))));
}

CGRect toCGRect(QRect r) { return CGRect(r.x(), r.y(), r.width(), r.height()); }

// A saved frame is "x y width height", the numbers as numberText writes them, so that a frame saved
// under one locale reads back under any other.
std::string savedFrameText(const CGRect& f) {
    return numberText(f.origin.x) + " " + numberText(f.origin.y) + " " + numberText(f.size.width) + " " +
           numberText(f.size.height);
}

// The four numbers of a saved frame, between blanks; nullopt unless there are exactly four.
std::optional<std::array<double, 4>> savedFrameNumbers(std::string_view text) {
    std::array<double, 4> numbers{};
    std::size_t count = 0;
    for (std::size_t start = text.find_first_not_of(" \t"); start != std::string_view::npos;
         start = text.find_first_not_of(" \t", start)) {
        const std::size_t end = std::min(text.find_first_of(" \t", start), text.size());
        const auto number = parseNumber(text.substr(start, end - start));
        if (!number || count == numbers.size()) return std::nullopt;
        numbers[count++] = *number;
        start = end;
    }
    if (count != numbers.size()) return std::nullopt;
    return numbers;
}

// A stored frame comes from a file anyone can edit: it is used only when its numbers are finite, its
// size positive, it fits X11's 16-bit coordinates and part of it lies on a screen.
bool isUsableSavedFrame(double x, double y, double w, double h) {
    constexpr double limit = 32767;
    for (const double v : {x, y, w, h}) {
        if (!std::isfinite(v) || std::abs(v) > limit) return false;
    }
    if (w <= 0 || h <= 0) return false;
    const QRect frame = toQRect(CGRect(x, y, w, h));
    const auto screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(),
                       [&](const QScreen* screen) { return screen->geometry().intersects(frame); });
}

// The top-level widget: an optional toolbar above the content view.
class WindowWidget final : public QWidget {
public:
    explicit WindowWidget(Window& owner) : owner_(owner) {}
    QWidget* contentArea = nullptr;
    QToolBar* toolbar = nullptr;
    std::function<void()> onMoveOrResize;
    QColor background{0, 0, 0, 0};
    bool paintsBackground = false;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (onMoveOrResize) onMoveOrResize();
        if (event->oldSize() != event->size()) owner_.notifyDidResize();
    }
    void moveEvent(QMoveEvent* event) override {
        QWidget::moveEvent(event);
        if (onMoveOrResize) onMoveOrResize();
    }

private:
    Window& owner_;
};

class ContentArea final : public QWidget {
public:
    std::shared_ptr<NativeView> view;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (view) view->setFrame(CGRect(0, 0, width(), height()));
    }
};

} // namespace

struct Window::Impl {
    Window& owner;
    WindowStyleMask style;
    std::unique_ptr<WindowWidget> widget;
    ContentArea* content = nullptr;
    std::string title;
    bool titleVisible = true;
    std::string autosaveName;
    std::shared_ptr<Toolbar> toolbar;
    WindowLevel level = WindowLevel::normal;
    std::function<void()> didResize;
    AnimationHandle frameAnimation;

    Impl(Window& o, WindowStyleMask s) : owner(o), style(s), widget(std::make_unique<WindowWidget>(o)) {
        auto* layout = new QVBoxLayout(widget.get());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        content = new ContentArea;
        layout->addWidget(content, 1);
        Qt::WindowFlags flags = Qt::Window;
        if (style.nonactivatingPanel || !style.titled) {
            flags = Qt::Tool | Qt::FramelessWindowHint;
            widget->setAttribute(Qt::WA_ShowWithoutActivating, style.nonactivatingPanel);
        } else {
            flags |= Qt::WindowTitleHint | Qt::CustomizeWindowHint;
            if (style.closable) flags |= Qt::WindowCloseButtonHint;
            if (style.miniaturizable) flags |= Qt::WindowMinimizeButtonHint;
            if (style.resizable) flags |= Qt::WindowMaximizeButtonHint;
        }
        widget->setWindowFlags(flags);
        widget->onMoveOrResize = [this] { saveFrame(); };
        windowsByWidget()[widget.get()] = &owner;
    }
    ~Impl() {
        frameAnimation.finish();
        windowsByWidget().erase(widget.get());
        if (content->view) widgetOf(*content->view).setParent(nullptr);
    }

    void saveFrame() const {
        if (autosaveName.empty() || !widget->isVisible()) return;
        UserDefaults::standard().set(savedFrameKey(autosaveName), savedFrameText(owner.frame()));
    }

    CGFloat toolbarHeight() const {
        if (!toolbar || !toolbar->isVisible() || !widget->toolbar) return 0;
        return widget->toolbar->sizeHint().height();
    }

    void rebuildToolbar();

    // The content view fills the window below the toolbar (hidden windows get no layout pass).
    void layoutContent() {
        const int top = static_cast<int>(toolbarHeight());
        content->setGeometry(0, top, widget->width(), std::max(0, widget->height() - top));
        if (content->view) content->view->setFrame(CGRect(0, 0, content->width(), content->height()));
    }
};

void Window::Impl::rebuildToolbar() {
    auto* layout = static_cast<QVBoxLayout*>(widget->layout());
    if (widget->toolbar) {
        // Views of items belong to their controllers: take them out of their holders before the toolbar
        // goes. The toolbar may be rebuilt from one of its own actions, so it goes later.
        for (auto* child : widget->toolbar->findChildren<QWidget*>()) {
            if (child->property("glimmoItemView").toBool()) child->setParent(nullptr);
        }
        layout->removeWidget(widget->toolbar);
        widget->toolbar->hide();
        widget->toolbar->deleteLater();
        widget->toolbar = nullptr;
    }
    if (!toolbar) return;
    const QSize before = widget->size();
    const CGFloat oldContentHeight = content->height();
    auto* bar = new QToolBar(widget.get());
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setToolButtonStyle(toolbar->displayMode == Toolbar::DisplayMode::iconOnly   ? Qt::ToolButtonIconOnly
                            : toolbar->displayMode == Toolbar::DisplayMode::labelOnly ? Qt::ToolButtonTextOnly
                                                                                       : Qt::ToolButtonTextUnderIcon);
    auto* group = new QActionGroup(bar);
    group->setExclusive(true);
    const auto& items = toolbar->items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto& item = items[i];
        if (item->identifier == toolbarFlexibleSpaceItemIdentifier) {
            auto* spacer = new QWidget;
            spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
            bar->addWidget(spacer);
            continue;
        }
        if (item->view) {
            // The toolbar deletes the widgets it is given: it gets a holder around the item's view.
            QWidget& w = widgetOf(*item->view);
            auto* holder = new QWidget;
            w.setProperty("glimmoItemView", true);
            w.setParent(holder);
            w.move(0, 0);
            w.show();
            holder->setFixedSize(w.size());
            bar->addWidget(holder);
            continue;
        }
        auto* action = new QAction(QString::fromStdString(item->label), bar);
        if (item->image) action->setIcon(iconForImage(*item->image, 32));
        const bool selectable = toolbar->isSelectable(item->identifier);
        action->setCheckable(selectable);
        if (selectable) {
            group->addAction(action);
            action->setChecked(toolbar->selectedItemIdentifier() == item->identifier);
        }
        std::weak_ptr<Toolbar> weak = toolbar;
        QObject::connect(action, &QAction::triggered, bar, [weak, i] {
            if (auto t = weak.lock(); t && i < t->items().size()) t->clickItem(i);
        });
        bar->addAction(action);
    }
    bar->setVisible(toolbar->isVisible());
    layout->insertWidget(0, bar);
    widget->toolbar = bar;
    // The content keeps its height: the window grows or shrinks by the toolbar's.
    if (widget->isVisible() || before.isValid()) {
        layout->activate();
        const int barHeight = toolbar->isVisible() ? bar->sizeHint().height() : 0;
        widget->resize(before.width(), static_cast<int>(oldContentHeight) + barHeight);
    }
    layoutContent();
}

Window::Window(CGRect contentRect, WindowStyleMask style) : impl_(std::make_unique<Impl>(*this, style)) {
    // Input reaches sendEvent through the application's event filter.
    detail::installEventSources();
    impl_->widget->setGeometry(toQRect(contentRect));
    impl_->layoutContent();
}

Window::~Window() = default;

WindowStyleMask Window::styleMask() const { return impl_->style; }

const std::string& Window::title() const { return impl_->title; }

void Window::setTitle(std::string title) {
    impl_->title = std::move(title);
    impl_->widget->setWindowTitle(impl_->titleVisible ? QString::fromStdString(impl_->title) : QString());
}

bool Window::isTitleVisible() const { return impl_->titleVisible; }

void Window::setTitleVisible(bool visible) {
    impl_->titleVisible = visible;
    setTitle(impl_->title);
}

CGRect Window::frame() const {
    const QRect g = impl_->widget->geometry();
    // Before the window is shown, Qt reports the requested geometry.
    return toCGRect(g);
}

void Window::setFrame(CGRect frame) {
    impl_->frameAnimation.finish();
    impl_->widget->setGeometry(toQRect(frame));
    impl_->layoutContent();
}

void Window::animateFrame(CGRect target, double duration) {
    impl_->frameAnimation.finish();
    const CGRect start = frame();
    auto step = [this, start, target](double p) {
        auto mix = [p](CGFloat a, CGFloat b) { return a + (b - a) * p; };
        impl_->widget->setGeometry(toQRect(CGRect(mix(start.origin.x, target.origin.x), mix(start.origin.y, target.origin.y),
                                                  mix(start.size.width, target.size.width),
                                                  mix(start.size.height, target.size.height))));
        impl_->layoutContent();
    };
    impl_->frameAnimation = animate(duration, TimingFunction::easeInEaseOut(), step);
}

CGRect Window::frameRectForContentRect(CGRect contentRect) const {
    CGRect r = contentRect;
    r.size.height += impl_->toolbarHeight();
    return r;
}

void Window::center() {
    QScreen* screen = impl_->widget->isVisible() ? impl_->widget->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect available = screen->availableGeometry();
    const QSize size = impl_->widget->size();
    // By the client area, as every frame here is (move() would place the window manager's frame).
    setFrame(CGRect(available.x() + (available.width() - size.width()) / 2.0,
                    available.y() + (available.height() - size.height()) / 2.0, size.width(), size.height()));
}

std::string Window::savedFrameKey(const std::string& name) { return "NSWindow Frame " + name; }

bool Window::setFrameUsingName(const std::string& name) {
    const auto saved = UserDefaults::standard().string(savedFrameKey(name));
    if (!saved) return false;
    const auto numbers = savedFrameNumbers(*saved);
    if (!numbers) return false;
    const auto [x, y, w, h] = *numbers;
    if (!isUsableSavedFrame(x, y, w, h)) return false;
    setFrame(CGRect(x, y, w, h));
    return true;
}

void Window::setFrameAutosaveName(const std::string& name) {
    impl_->autosaveName = name;
    impl_->saveFrame();
}

const std::string& Window::frameAutosaveName() const { return impl_->autosaveName; }

std::shared_ptr<NativeView> Window::contentView() const { return platformContentView(); }

void Window::setContentView(std::shared_ptr<NativeView> view) { setPlatformContentView(std::move(view)); }

std::shared_ptr<NativeView> Window::platformContentView() const { return impl_->content->view; }

void Window::setPlatformContentView(std::shared_ptr<NativeView> view) {
    if (impl_->content->view) {
        widgetOf(*impl_->content->view).hide();
        widgetOf(*impl_->content->view).setParent(nullptr);
    }
    impl_->content->view = std::move(view);
    if (!impl_->content->view) return;
    QWidget& w = widgetOf(*impl_->content->view);
    w.setParent(impl_->content);
    w.show();
    impl_->layoutContent();
}

Toolbar* Window::toolbar() const { return impl_->toolbar.get(); }

void Window::setToolbar(std::shared_ptr<Toolbar> toolbar) {
    if (impl_->toolbar) impl_->toolbar->setChangeHandler(nullptr);
    impl_->toolbar = std::move(toolbar);
    if (impl_->toolbar) {
        impl_->toolbar->setChangeHandler([this] { impl_->rebuildToolbar(); });
        impl_->toolbar->reloadItems(); // rebuilds through the change handler
    } else {
        impl_->rebuildToolbar();
    }
}

void Window::setOpaque(bool opaque) {
    impl_->widget->setAttribute(Qt::WA_TranslucentBackground, !opaque);
    impl_->widget->setAutoFillBackground(opaque);
}

void Window::setHasShadow(bool shadow) {
    impl_->widget->setWindowFlag(Qt::NoDropShadowWindowHint, !shadow);
}

void Window::setLevel(WindowLevel level) {
    impl_->level = level;
    impl_->widget->setWindowFlag(Qt::WindowStaysOnTopHint, level != WindowLevel::normal);
}

WindowLevel Window::level() const { return impl_->level; }

void Window::setBackgroundColor(Color color) {
    const RGBA c = color.resolve(ColorScheme::light);
    QPalette palette = impl_->widget->palette();
    palette.setColor(QPalette::Window, QColor::fromRgbF(static_cast<float>(c.red), static_cast<float>(c.green),
                                                       static_cast<float>(c.blue), static_cast<float>(c.alpha)));
    impl_->widget->setPalette(palette);
}

void Window::setJoinsAllSpacesAndIgnoresCycle(bool on) {
    // Tool windows are left out of the task switcher; X11 window managers keep them on every desktop
    // when they belong to no desktop, which Qt's tool windows do not ask for separately.
    impl_->widget->setWindowFlag(Qt::Tool, on || (impl_->widget->windowFlags() & Qt::Tool) == Qt::Tool);
}

bool Window::canBecomeKeyWindow() const { return true; }

void Window::makeKeyAndOrderFront() {
    impl_->widget->show();
    impl_->widget->raise();
    if (canBecomeKeyWindow()) impl_->widget->activateWindow();
}

void Window::orderFrontRegardless() {
    impl_->widget->show();
    impl_->widget->raise();
}

void Window::orderOut() { impl_->widget->hide(); }

void Window::close() { impl_->widget->hide(); }

bool Window::isVisible() const { return impl_->widget->isVisible(); }

bool Window::isKeyWindow() const { return impl_->widget->isActiveWindow(); }

PixelImage Window::snapshot(double scale) const {
    QWidget& widget = *impl_->widget;
    QImage image(QSize(static_cast<int>(std::ceil(widget.width() * scale)), static_cast<int>(std::ceil(widget.height() * scale))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    widget.ensurePolished();
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren | (impl_->style.nonactivatingPanel ? QWidget::RenderFlags() : QWidget::DrawWindowBackground));
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    PixelImage pixels;
    pixels.width = rgba.width();
    pixels.height = rgba.height();
    pixels.scale = scale;
    pixels.rgba.resize(static_cast<std::size_t>(pixels.width) * pixels.height * 4);
    for (int y = 0; y < pixels.height; ++y) {
        const auto* line = rgba.constScanLine(y);
        std::copy(line, line + pixels.width * 4, pixels.rgba.begin() + static_cast<std::ptrdiff_t>(y) * pixels.width * 4);
    }
    return pixels;
}

bool Window::sendEvent(const Event&) { return true; }

bool Window::dispatch(const Event& event) { return sendEvent(event); }

void Window::setDidResizeHandler(std::function<void()> handler) { impl_->didResize = std::move(handler); }

void Window::notifyDidResize() const {
    if (impl_->didResize) {
        auto handler = impl_->didResize;
        handler();
    }
}

bool Window::respondsTo(const std::string& action) const {
    return action == "toggleToolbarShown:" || action == "performClose:" || action == "performMiniaturize:";
}

bool Window::perform(const std::string& action) {
    if (action == "toggleToolbarShown:" && impl_->toolbar) {
        impl_->toolbar->setVisible(!impl_->toolbar->isVisible());
        return true;
    }
    if (action == "performClose:") {
        close();
        return true;
    }
    return false;
}

Window* windowOfWidget(const QWidget* widget) {
    const auto& map = windowsByWidget();
    auto it = map.find(widget);
    return it == map.end() ? nullptr : it->second;
}

QWidget& topLevelWidget(const Window& window) { return *window.impl().widget; }

std::optional<CGRect> mainScreenFrame() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return std::nullopt;
    return toCGRect(screen->geometry());
}

void activateApplication() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && windowOfWidget(w)) {
            w->raise();
            w->activateWindow();
            return;
        }
    }
}

} // namespace glimmo
