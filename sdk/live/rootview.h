#pragma once
// The root view of this SDK layer: no hardware path, so it only remembers its window and views.

#include "sdk/live/iliverootview.h"

#include <QList>
#include <QPair>
#include <QString>

namespace ilivesdk {

class RootView : public ilive::iLiveRootView {
public:
  int init(uintptr_t nativeWindow) override;
  void setBackgroundColor(uint32_t argb) override { m_background = argb; }
  int addView(const char *userId, ilive::VideoSrc source, const ilive::ViewRecord &view) override;
  int removeView(const char *userId, ilive::VideoSrc source) override;
  int hardwareSupport() const override { return 0; }
  void destroy() override { delete this; }

private:
  ~RootView() override = default;

  uintptr_t m_window = 0;
  uint32_t m_background = 0xff000000;
  QList<QPair<QString, int>> m_views;
};

} // namespace ilivesdk
