#pragma once
// Gives a shell test its own per-user folders (settings, data, cache) before the application
// object exists, so tests never read or write the real user's files.

#include <QString>

namespace scratchenv {
// Points HOME and the XDG folders at a fresh temporary folder; returns it.
QString prepare();
} // namespace scratchenv
