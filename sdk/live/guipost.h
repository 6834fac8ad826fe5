#pragma once
// Hands work to the GUI thread (the thread of QCoreApplication), always later than the call.

#include <functional>

namespace ilivesdk {
void postToGui(std::function<void()> fn);
} // namespace ilivesdk
