#include "platform/window/Menu.h"

#include <QAction>
#include <QCursor>
#include <QKeySequence>
#include <QMenu>
#include <QPointer>

namespace glimmo {

Menu::~Menu() {
    if (discardShown_) discardShown_();
}

void Menu::popUpAtPointer() {
    cancel();
    if (discardShown_) discardShown_();
    auto* menu = new QMenu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const MenuItem& item = items_[i];
        if (item.isSeparator) {
            menu->addSeparator();
            continue;
        }
        auto* action = menu->addAction(QString::fromStdString(item.title));
        if (!item.keyEquivalent.empty()) action->setShortcut(QKeySequence(QString::fromStdString(item.keyEquivalent)));
        QObject::connect(action, &QAction::triggered, menu, [this, i] {
            if (i < items_.size() && items_[i].action) {
                auto run = items_[i].action;
                run();
            }
        });
    }
    QPointer<QMenu> shown = menu;
    // Closing (with or without a choice; Qt hides the menu after the action ran) tells the delegate.
    QObject::connect(menu, &QMenu::aboutToHide, menu, [this] {
        closeShown_ = nullptr;
        notifyDidClose();
    });
    closeShown_ = [shown] {
        if (shown) shown->close();
    };
    discardShown_ = [shown] {
        if (!shown) return;
        QObject::disconnect(shown, nullptr, nullptr, nullptr);
        shown->hide();
        shown->deleteLater();
    };
    menu->popup(QCursor::pos());
}

} // namespace glimmo
