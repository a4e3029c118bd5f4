#include "platform/qt/desktop/QtAlertPresenter.h"

#include "platform/qt/QtFontMapping.h"
#include "platform/view/Font.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QWindow>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace glimmo {
namespace {

QMessageBox::Icon iconFor(AlertStyle style) {
    switch (style) {
    case AlertStyle::informational: return QMessageBox::Information;
    case AlertStyle::warning: return QMessageBox::Warning;
    case AlertStyle::critical: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

// Texts up to this wide stay on one line; longer ones wrap at it.
constexpr int widestLine = 480;

// The box sizes itself to a narrow guess that wraps short texts and cuts the title: each text gets
// the width it needs on one line, up to widestLine, and the title counts too.
void sizeToText(QMessageBox& box) {
    const QFontMetrics metrics(box.font());
    for (const char* name : {"qt_msgbox_label", "qt_msgbox_informativelabel"}) {
        if (auto* label = box.findChild<QLabel*>(name)) {
            label->setMinimumWidth(std::min(metrics.horizontalAdvance(label->text()) + 1, widestLine));
        }
    }
    box.setWindowTitle(QApplication::applicationDisplayName());
}

// Shows the box in front of the window that has the focus (Settings, when the alert comes from the
// tray), with the keyboard on its default button, so Return answers the alert and nothing behind it.
// Being transient for that window is what lets a window manager hand the box the focus and keep it
// above; the window is not its parent, which could take the box with it when it closes.
void takeTheFocus(QMessageBox& box, QPushButton& defaultButton) {
    if (const QWidget* front = QApplication::activeWindow(); front && front->windowHandle()) {
        box.winId(); // makes the box's own window
        box.windowHandle()->setTransientParent(front->windowHandle());
    }
    box.show();
    box.raise();
    box.activateWindow();
    defaultButton.setFocus(Qt::ActiveWindowFocusReason);
}

} // namespace

int QtAlertPresenter::runModal(const AlertSpec& alert) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        throw std::logic_error("QtAlertPresenter needs a QApplication");
    }
    QMessageBox box;
    // The interface's font, not the toolkit's default.
    box.setFont(qtFont(Font::body().resolve(), box).font);
    box.setIcon(iconFor(alert.style));
    box.setText(QString::fromStdString(alert.messageText));
    box.setInformativeText(QString::fromStdString(alert.informativeText));

    std::vector<std::string> titles = alert.buttons;
    if (titles.empty()) titles.emplace_back("OK");
    std::vector<QPushButton*> buttons;
    for (std::size_t i = 0; i < titles.size(); ++i) {
        // The box owns its buttons.
        buttons.push_back(box.addButton(QString::fromStdString(titles[i]),
                                        i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole));
    }
    box.setDefaultButton(buttons.front());
    box.setEscapeButton(buttons.back());
    sizeToText(box);
    box.setWindowModality(Qt::ApplicationModal);
    takeTheFocus(box, *buttons.front());
    box.exec();

    const auto* clicked = box.clickedButton();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (buttons[i] == clicked) return static_cast<int>(i);
    }
    return static_cast<int>(buttons.size() - 1);
}

} // namespace glimmo
