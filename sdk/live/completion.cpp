#include "sdk/live/completion.h"

#include "sdk/live/guipost.h"

#include <QByteArray>

namespace ilivesdk {

const char *moduleOf(int code) {
  if (code >= ilive::ERR_NOT_INITIALISED && code <= ilive::ERR_CONNECTION_LOST)
    return code == ilive::ERR_NO_DEVICE || code == ilive::ERR_DEVICE_FAILED ? "DEVICE" : "SDK";
  return "HUB";
}

namespace {
void postError(ilive::ErrCallback err, void *data, int code, const QString &desc) {
  if (!err)
    return;
  const QByteArray text = desc.toUtf8();
  postToGui([err, data, code, text] { err(moduleOf(code), code, text.constData(), data); });
}
} // namespace

void Completion::finish(int code, const QString &desc) const {
  if (code != ilive::NO_ERR) {
    postError(err, data, code, desc);
    return;
  }
  if (succ) {
    const Completion self = *this;
    postToGui([self] { self.succ(self.data); });
  }
}

void PushCompletion::finish(int code, const QString &desc, uint64_t channelId) const {
  if (code != ilive::NO_ERR) {
    postError(err, data, code, desc);
    return;
  }
  if (succ) {
    const PushCompletion self = *this;
    postToGui([self, channelId] { self.succ(channelId, self.data); });
  }
}

} // namespace ilivesdk
