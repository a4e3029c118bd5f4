#include "platform/qt/desktop/QtAlertPresenter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

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

} // namespace

int QtAlertPresenter::runModal(const AlertSpec& alert) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        throw std::logic_error("QtAlertPresenter needs a QApplication");
    }
    QMessageBox box;
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
    box.exec();

    const auto* clicked = box.clickedButton();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (buttons[i] == clicked) return static_cast<int>(i);
    }
    return static_cast<int>(buttons.size() - 1);
}

} // namespace glimmo
