// Text on the dialogs: their font.
#pragma once

#include <QFont>

namespace platform::qt {

// The font of every dialog and control.
QFont DialogFont();

}  // namespace platform::qt
