#pragma once
// The (success, error, user pointer) triple a live SDK call was given, answered on the GUI
// thread.

#include "sdk/live/ilive.h"

#include <QString>

namespace ilivesdk {

struct Completion {
  ilive::SuccCallback succ = nullptr;
  ilive::ErrCallback err = nullptr;
  void *data = nullptr;

  // Posts the answer: success for code 0, else the error with its module and description.
  void finish(int code, const QString &desc) const;
};

struct PushCompletion {
  ilive::PushStreamSuccCallback succ = nullptr;
  ilive::ErrCallback err = nullptr;
  void *data = nullptr;

  void finish(int code, const QString &desc, uint64_t channelId) const;
};

// "HUB" for the hub's own codes, "SDK" for those of this layer.
const char *moduleOf(int code);

} // namespace ilivesdk
