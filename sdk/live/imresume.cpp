#include "sdk/live/imresume.h"

#include "sdk/net/imtransport.h"

namespace ilivesdk {

ImResume::ImResume(Resumed resumed, RetrySchedule::GaveUp gaveUp, QObject *parent)
    : QObject(parent), m_resumed(std::move(resumed)),
      m_schedule([this](int timeLimitMs) { attempt(timeLimitMs); }, std::move(gaveUp), this) {}

void ImResume::start(sdk::ImTransport *im, int code, const QString &reason) {
  stop();
  m_im = im;
  m_schedule.start(code, reason);
}

void ImResume::stop() {
  ++m_try;
  m_schedule.stop();
}

void ImResume::attempt(int timeLimitMs) {
  sdk::ImTransport *im = m_im.data();
  if (!im)
    return m_schedule.failed(hubproto::ClientNotLoggedIn, QStringLiteral("the IM link is gone"));
  const quint64 thisTry = ++m_try;
  im->resume(timeLimitMs, [this, thisTry](int code, const QString &desc) {
    if (thisTry != m_try)
      return;
    if (code != hubproto::Ok)
      return m_schedule.failed(code, desc);
    m_schedule.succeeded();
    m_resumed();
  });
}

} // namespace ilivesdk
