#include "platform/window/StatusBar.h"

#include "platform/qt/window/QtWindowSupport.h"
#include "platform/window/NativeView.h"

#include <QPixmap>
#include <QSystemTrayIcon>

#include <cmath>
#include <vector>

namespace glimmo {

struct StatusItem::Impl {
    std::unique_ptr<QSystemTrayIcon> icon;
};

namespace {
std::vector<StatusItem*>& liveItems() {
    static std::vector<StatusItem*> items;
    return items;
}
} // namespace

namespace detail {
std::vector<CGRect> statusItemFrames() {
    std::vector<CGRect> frames;
    for (StatusItem* item : liveItems()) {
        if (auto f = item->button()->windowFrame()) frames.push_back(*f);
    }
    return frames;
}
} // namespace detail

StatusItem::StatusItem(double length)
    : length_(length), button_(std::make_unique<StatusBarButton>(*this)), impl_(std::make_unique<Impl>()) {
    impl_->icon = std::make_unique<QSystemTrayIcon>();
    QObject::connect(impl_->icon.get(), &QSystemTrayIcon::activated, impl_->icon.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger) button_->click(EventType::leftMouseDown);
                         else if (reason == QSystemTrayIcon::Context) button_->click(EventType::rightMouseDown);
                     });
    liveItems().push_back(this);
    // Shown by refresh() once the button has an image or a view: a tray icon shown without an icon
    // only draws a blank and makes Qt warn.
}

StatusItem::~StatusItem() {
    std::erase(liveItems(), this);
}

bool StatusItem::isVisibleInTray() const { return QSystemTrayIcon::isSystemTrayAvailable() && impl_->icon->isVisible(); }

void StatusItem::refresh() {
    if (!impl_ || !button_) return;
    if (const auto& content = button_->contentView()) {
        QWidget& w = widgetOf(*content);
        impl_->icon->setIcon(QIcon(w.grab()));
    } else if (const auto& image = button_->image()) {
        impl_->icon->setIcon(iconForImage(*image, 22));
    }
    if (!impl_->icon->icon().isNull() && !impl_->icon->isVisible() && QSystemTrayIcon::isSystemTrayAvailable()) {
        impl_->icon->show();
    }
}

std::optional<CGRect> StatusBarButton::windowFrame() const {
    const QRect g = item_.impl().icon->geometry();
    if (!g.isValid() || g.isEmpty()) return std::nullopt;
    return CGRect(g.x(), g.y(), g.width(), g.height());
}

StatusBar& StatusBar::system() {
    static StatusBar bar;
    return bar;
}

bool StatusBar::isAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

std::shared_ptr<StatusItem> StatusBar::statusItem(double length) {
    return std::shared_ptr<StatusItem>(new StatusItem(length));
}

} // namespace glimmo
