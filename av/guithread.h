#pragma once
// Widget changes asked for on the SDK's threads run on the GUI thread, in the order asked.

#include <functional>

// At once on the GUI thread; from any other thread queued behind what that thread queued before.
void runOnGuiThread(std::function<void()> fn);
