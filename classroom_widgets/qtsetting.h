#pragma once
// The settings dialog "参数设置": a pop-up window around one QtSettingView. Closing it with
// its own close button stores the switches and volumes once more.

#include "widgets/popwindow.h"

class QtSettingView;
class SettingHost;

class QtSetting : public PopWindow {
  Q_OBJECT
public:
  // host must outlive the dialog.
  explicit QtSetting(SettingHost *host, QWidget *parent = nullptr);

  QtSettingView *view() const { return m_view; }

protected:
  void beforeClose() override;

private:
  QtSettingView *m_view;
};
