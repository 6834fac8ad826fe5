#include "sdk/live/rootview.h"

namespace ilivesdk {

int RootView::init(uintptr_t nativeWindow) {
  if (!nativeWindow)
    return ilive::ERR_BAD_ARGUMENT;
  m_window = nativeWindow;
  return ilive::NO_ERR;
}

int RootView::addView(const char *userId, ilive::VideoSrc source, const ilive::ViewRecord &) {
  if (!m_window)
    return ilive::ERR_NOT_INITIALISED;
  if (!userId || !*userId)
    return ilive::ERR_BAD_ARGUMENT;
  const QPair<QString, int> key(QString::fromUtf8(userId), source);
  if (!m_views.contains(key))
    m_views.append(key);
  return ilive::NO_ERR;
}

int RootView::removeView(const char *userId, ilive::VideoSrc source) {
  return m_views.removeAll(QPair<QString, int>(QString::fromUtf8(userId ? userId : ""), source)) > 0
             ? ilive::NO_ERR
             : ilive::ERR_BAD_ARGUMENT;
}

} // namespace ilivesdk

ilive::iLiveRootView *iLiveCreateRootView() { return new ilivesdk::RootView; }
