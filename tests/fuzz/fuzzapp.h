#pragma once
// What every fuzz target shares: the Qt application object some parsing needs, made once on
// the first input, with Qt's log output silenced (parsers complain about every bad input and
// would drown the run), and the check that turns a broken property into a crash the fuzzer
// reports.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace fuzzapp {

// A QCoreApplication.
void init();
// A QGuiApplication on the offscreen platform, for targets that paint.
void initGui();

// Aborts with the message when ok is false.
void check(bool ok, const char *what);

inline QByteArray bytes(const uint8_t *data, size_t size) {
  return QByteArray(reinterpret_cast<const char *>(data), static_cast<int>(size));
}

} // namespace fuzzapp
