#pragma once
// The shell window's own title bar. Portal mode: logo, back / forward / refresh, the portal
// tabs, the user button, support, settings and the window buttons. Class mode: the return
// button, course and lesson names, the network indicator and the class-name button.
// It filters the shell window's events to keep the maximise button and the shadow current.

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVariantMap>
#include <QWidget>

namespace Ui {
class TitleBar;
}
class BrowserWindow;
class QtMyMenu;
#include "classroom_widgets/qtnameeditor.h"

class TitleBar : public QWidget {
  Q_OBJECT
public:
  enum Mode { PortalMode = 1, ClassMode = 2 };

  explicit TitleBar(BrowserWindow *shell);
  ~TitleBar() override;

  void setMode(int mode);
  int mode() const { return mode_; }
  void setCourseName(const QString &name);
  void setLessonName(const QString &name);
  void setMyName(const QString &name);
  void setNetGood();
  void setNetBad();
  void setUserInfo(const QVariantMap &info);
  void loadingStart();
  void loadingEnd();
  // Starts the back/forward refresh timer (called by the shell after sign-in).
  void finishSetup();

  QtMyMenu *menu() const { return menu_; }
  QtNameEditor *nameEditor() const { return nameEditor_; }
  QString supportAddress() const { return supportAddress_; }
  void setSupportAddress(const QString &address) { supportAddress_ = address; }

  bool eventFilter(QObject *watched, QEvent *event) override;

public slots:
  void btnMaxClicked();
  void btnMinClicked();
  void btnCloseClicked();
  void btnSettingClicked();
  void btnServiceClicked();
  void btnLiveClicked();
  void btnCourseClicked();
  void btnShopClicked();
  void btnMyClicked();
  void btnMyLeave();
  void menuItemClicked(const QString &itemName);
  void btnBackClicked();
  void btnForwardClicked();
  void btnRefreshClicked();
  void onTimerOut();
  void btnReturnClicked();
  void btnMyNameClicked();

protected:
  void mousePressEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
  void connectButtons();
  void fetchSupportAddress();
  void updateMaximizeButton();
  void navigateTab(const char *key);
  void createNameEditor();
  void applyClassName(const QString &name);
  static void supportReply(int errorCode, const QString &errorInfo, const QVariantMap &data,
                           void *userData);

  Ui::TitleBar *ui;
  BrowserWindow *shell_;
  QString supportAddress_;
  QTimer refreshTimer_;
  QtMyMenu *menu_ = nullptr;
  QPointer<QtNameEditor> nameEditor_;
  int mode_ = PortalMode;
};
