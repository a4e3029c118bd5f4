#pragma once

// Internal to the Qt side of the window layer: the widgets behind views and windows.

#include "platform/view/Image.h"

#include <QIcon>
#include <QWidget>

namespace glimmo {

class NativeView;
class Window;

QWidget& widgetOf(const NativeView& view);
QWidget& topLevelWidget(const Window& window);
// The window whose top-level widget is `widget`, if it is one of ours.
Window* windowOfWidget(const QWidget* widget);
// A symbol or pixel image drawn at `points` square.
QIcon iconForImage(const Image& image, int points);

} // namespace glimmo
