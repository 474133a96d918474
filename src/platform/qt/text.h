// Text on the dialogs: their font, and the wrapping text of a static that
// breaks its lines (a message box's).
#pragma once

#include <QFont>
#include <QWidget>
#include <string>

#include "platform/api/window_system.h"

namespace platform::qt {

// The font of every dialog and control.
QFont DialogFont();
// A static that wraps its text `text` (its property of that name).
QWidget* MakeWrappingText(QWidget* parent, const QString& text);
// The extent of `text` laid out as a wrapping static at most `maxWidth` wide.
TextExtent MeasureWrapping(const std::string& text, int maxWidth);

}  // namespace platform::qt
