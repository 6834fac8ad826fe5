#pragma once
// A piece of window work made on the board library's thread, run on the GUI thread.

#include <QMetaType>

#include <functional>

using txfunction = std::function<void()>;
Q_DECLARE_METATYPE(txfunction)
