#pragma once
// The main window after sign-in: the web portal under our own title bar, the classroom window
// in its place during a class, the local settings and the audio test helper. Exactly one
// exists; the login window creates it hidden and shows it when sign-in completes.
//
// Pages and other windows reach it by name through the meta-object system, so its slots and
// invokables keep the names below.

#include "classroom/classroomseam.h"
#include "core/devicesettings.h"
#include "shell/portaladdress.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <ctime>
#include <memory>

class AudioDevices;
class AudioHelper;
class CentralFrame;
class PopShadow;
class QBoxLayout;
class QSettings;
class QVBoxLayout;
class SettingsStore;
class ShellSettingHost;
class ShadowFollower;
class TitleBar;
class WebView;

class ClassroomLink;

class BrowserWindow : public QMainWindow, public ClassroomShell {
  Q_OBJECT
public:
  static constexpr int kBuildNumber = portaladdress::kBuildNumber;

  explicit BrowserWindow(QWidget *parent = nullptr);
  ~BrowserWindow() override;

  // The process-wide shell window (null before it is made and after it is gone).
  static BrowserWindow *instance();
  static void setInstance(BrowserWindow *shell);

  // Sign-in hand-over from the login window.
  void applySignIn(const QString &phone, const QString &token, const QString &configJson,
                   const QString &avatar);
  // "%1/check-token?phone=...&build=1011" for the signed-in student.
  QString portalAddress() const;

  void enterClass(const QVariantMap &data);
  // 0: left (or the portal went back a page), -1: stayed in the class.
  Q_INVOKABLE int leaveClass(bool ask) override;
  Q_INVOKABLE void navigatePortal(const QString &path);
  Q_INVOKABLE void setUserInfo(const QString &json);
  Q_INVOKABLE void openSettings();
  Q_INVOKABLE void setMyName(const QString &name) override;
  Q_INVOKABLE void checkVersion(bool online);

  // Local settings store.
  Q_INVOKABLE void loadPassword(QString &phone, QString &password);
  Q_INVOKABLE void storePassword(const QString &phone, const QString &password);
  Q_INVOKABLE void loadSetting() override;
  Q_INVOKABLE void resetStore();
  Q_INVOKABLE QVariantMap currentSettings() const override;
  DeviceSettings deviceSettings() const;
  // The classroom's side of the shell (ClassroomShell).
  AudioHelper *audioHelper() const override;
  ChatPage *createChatPage(const QString &url, QWidget *parent) override;
  void setNetGood() override;
  void setNetBad() override;
  SettingsStore *settingsStore() const { return store_; }
  AudioDevices *devices() const { return devices_.get(); }
  // The settings dialog, once opened; the classroom hides it (ClassroomShell).
  QWidget *settingsDialog() const { return settingsDialog_; }
  void closeSettings() override;

  // The version answer of the backend (errorCode, errorInfo, data): signal, questions, upgrade.
  void onVersionAnswer(int errorCode, const QString &errorInfo, const QVariantMap &data);

  // Shadow around the window; hidden while maximised (the title bar drives it).
  void setShadowVisible(bool visible);
  PopShadow *shadow() const;

  TitleBar *titleBar() const { return titleBar_; }
  WebView *browserView() const { return browserView_; }
  QWidget *classroom() const { return classroom_; }
  CentralFrame *centralFrame() const { return centralFrame_; }
  QString phone() const { return phone_; }
  QString token() const { return token_; }
  QString version() const { return version_; }
  QString lineType() const { return lineType_; }
  QVariantMap config() const { return config_; }
  QString avatar() const { return avatar_; }
  bool sdkInitialised() const { return sdkInitialised_; }

  QSize sizeHint() const override;

signals:
  void urlChanged(const QString &url);
  void notifyMessage(const QString &title, const QString &message);
  void versionCheck(bool isUpToDate, const QString &ver);
  // The check failed (no answer, an error, no version): why, in the student's words.
  void versionCheckFailed(const QString &reason);

public slots:
  void executeCommand(const QString &json);
  void test(const QString &phone);
  void sendAuthCode(const QString &phone);
  void toRegist();
  void micTest(int micIndex, int speakerIndex, int micVol, int speakerVol);
  void speakerTest(int index, int speakerVol);
  void setMic(int micIndex, int value);
  void setSpeaker(int speakerIndex, int value);
  void setMicVol(int micIndex, int value);
  void setSpeakerVol(int speakerIndex, int value);
  void setCamera(int cameraIndex);
  void setDisableCamera(bool disable);
  void setHideUp(bool hide);
  void stopMicTest();
  void stopSpeakerTest();
  void toLogout();
  void onQuitMainFormReleased();
  void onNotifyMessage(const QString &title, const QString &message);

private slots:
  void handleWebViewTitleChanged(const QString &title);
  void handleWebViewUrlChanged(const QUrl &url);
  void onTimer();
  void initWidget();
  void onClassroomReleased(QWidget *window);

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  // The questions of a verified update, then the upgrade program and the end of the program.
  void offerUpgrade(bool forced, const QString &url, const QString &sha256);
  void startUpgrade(const QString &url, const QString &sha256);
  void buildBody();
  bool enterGuardsPass();
  bool acceptLineType(const QString &lineType);
  void initLiveSdk(const QString &lineType);
  void openClassroom(const QVariantMap &data, const QString &lineType);
  void forgetClassroom();
  // The classroom this window holds; an empty link once its window is gone.
  ClassroomLink classroomLink() const;
  void connectStore();

  CentralFrame *centralFrame_ = nullptr;
  WebView *browserView_ = nullptr;
  QBoxLayout *bodyLayout_ = nullptr;
  QVBoxLayout *mainLayout_ = nullptr;
  QPointer<QWidget> classroom_;
  Classroom *room_ = nullptr; // valid while classroom_ is
  QMetaObject::Connection quitOnRelease_;
  QString phone_;
  QString token_;
  TitleBar *titleBar_ = nullptr;
  QString version_;
  QString lineType_;
  std::time_t lastQuitTime_ = 0;
  QVariantMap config_;
  QString avatar_;
  QPointer<QWidget> settingsDialog_;
  int socketPort_ = 0;
  std::unique_ptr<AudioDevices> devices_;
  std::unique_ptr<ShellSettingHost> settingHost_;
  SettingsStore *store_ = nullptr;
  ShadowFollower *chrome_ = nullptr;
  bool sdkInitialised_ = false;
  // Whether the process-wide classroom window has emitted releaseFinished.
  bool classroomReleased_ = true;
};
