#include "platform/qt/desktop/QtPasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <stdexcept>

namespace glimmo {
namespace {

QClipboard& clipboard() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        throw std::logic_error("QtPasteboard needs a QGuiApplication");
    }
    return *QGuiApplication::clipboard();
}

} // namespace

void QtPasteboard::clearContents() { clipboard().clear(QClipboard::Clipboard); }

void QtPasteboard::setString(const std::string& text) {
    clipboard().setText(QString::fromStdString(text), QClipboard::Clipboard);
}

std::optional<std::string> QtPasteboard::string() const {
    const QMimeData* data = clipboard().mimeData(QClipboard::Clipboard);
    if (!data || !data->hasText()) return std::nullopt;
    return data->text().toStdString();
}

} // namespace glimmo
