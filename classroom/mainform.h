#pragma once
// The classroom window: the live class the shell opens inside itself. The session logic lives
// in ClassSession; the window builds the widgets, follows the session's signals, lends it the
// chat column and the toolbar, and keeps the slots and members the pages, the shell and the
// settings dialog know by name, each forwarding to the session.

#include "classroom/classroomseam.h"
#include "classroom/classsession.h"
#include "messaging/livemessage.h"

#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <QWidget>
#include <memory>
#include <vector>

class ClassChat;
class EmojiPanel;
class QtImageView;
class ClassVideo;
class QxtGlobalShortcut;
class QWidgetVideoRender;
class QTimer;
class QtLiveToolBar;
class ReconnectBanner;
class ToolBarControls;

namespace Ui {
class MainForm;
}

class MainForm : public QWidget, public Classroom {
  Q_OBJECT
public:
  static constexpr int kHeartbeatMs = ClassSession::kHeartbeatMs;
  static constexpr int kTeacherCheckMs = ClassSession::kTeacherCheckMs;
  static constexpr int kDefaultRefreshMs = ClassSession::kDefaultRefreshMs;
  static constexpr int kWelcomeDelayMs = ClassSession::kWelcomeDelayMs;
  static constexpr int kSignatureMarginS = ClassSession::kSignatureMarginS;
  static constexpr int kLoginRetries = ClassSession::kLoginRetries;

  // shell: the shell window holding the class; without one the window closes itself.
  MainForm(const QString &lineType, QWidget *parent = nullptr, ClassroomShell *shell = nullptr);
  ~MainForm() override;

  // Classroom (the shell's seam).
  QWidget *widget() override { return this; }
  Q_INVOKABLE void setToken(const QString &token) override { session_->setToken(token); }
  Q_INVOKABLE void setRoomId(int roomId) override { session_->setRoomId(roomId); }
  Q_INVOKABLE void setMasterId(const QString &masterId) override { session_->setMasterId(masterId); }
  Q_INVOKABLE bool isReadyToLeave() const override;
  Q_INVOKABLE int status() const override { return int(session_->classStatus()); }
  Q_INVOKABLE bool isLeaving() const override { return session_->isLeaving(); }
  Q_INVOKABLE QString getUserName() const override { return session_->userName(); }
  QMetaObject::Connection onReleaseFinished(QObject *context, std::function<void()> slot) override;

  Q_INVOKABLE QString getUserId() const { return session_->userId(); }
  Q_INVOKABLE void setUserName(const QString &name) override { session_->setUserName(name); }
  QString getToken() const override { return session_->token(); }
  Q_INVOKABLE QString getServerUrl2() const { return session_->liveServiceBaseUrl(); }
  Q_INVOKABLE int getMessageLength(QVariantMap &message) const;

  void setStatus(int status) { session_->setStatus(ClassStatus(status)); }
  void changeDisplay(const QString &display) { session_->changeDisplay(display); }

  // State the shell, the tests and the later parts of the classroom read.
  ClassSession *session() const { return session_; }
  bool notInRoom() const { return session_->notInRoom(); }
  bool loggedOut() const { return session_->loggedOut(); }
  bool isClosed() const { return session_->isClosed(); }
  int loginRetries() const { return session_->loginRetries(); }
  int refreshInterval() const { return session_->refreshInterval(); }
  QString currentDisplay() const { return session_->currentDisplay(); }
  bool displayCommandSeen() const { return session_->displayCommandSeen(); }
  bool screenStreamReady() const { return session_->screenStreamReady(); }
  QString uploadSignature() const { return session_->uploadSignature(); }
  int signatureExpiry() const { return session_->signatureExpiry(); }
  QString token() const { return session_->token(); }
  int roomId() const { return session_->roomId(); }
  QString lineType() const { return session_->lineType(); }
  bool cameraUp() const { return session_->cameraUp(); }
  QString userId() const { return session_->userId(); }
  MemberRoster *roster() const { return session_->roster(); }
  ClassChat *chat() const { return chat_; }
  ClassVideo *video() const { return video_; }
  QWidget *screenshotTool() const { return screenshot_; }
  // Shown while the link to the class is being brought back.
  ReconnectBanner *reconnectBanner() const { return reconnectBanner_; }
  // The teacher's large view and the shared-screen view.
  QWidgetVideoRender *largeView() const { return largeView_; }
  QWidgetVideoRender *screenView() const { return screenView_; }
  ClassStage *stage() const { return session_->stage(); }
  ClassDevices *devices() const { return session_->devices(); }
  LiveCalls *liveCalls() const { return session_->liveCalls(); }
  const ClassCommands &commands() const { return session_->commands(); }
  QtLiveToolBar *toolBar() const;
  QTimer *heartbeatTimer() const { return session_->heartbeatTimer(); }
  QTimer *refreshTimer() const { return session_->refreshTimer(); }
  QTimer *delayTimer() const { return session_->delayTimer(); }
  QTimer *teacherCheckTimer() const { return session_->teacherCheckTimer(); }

signals:
  void releaseFinished();
  void receiveMessage(QString sender, std::vector<LiveMessage> *msgs);
  void memberChanged();

public slots:
  void onBtnLogin() override { session_->login(); }
  void onHeartBeatTimer() { session_->heartbeatTick(); }
  void onRefreshUserTimer() { session_->refreshRoster(); }
  void OnDelayOperateTimer() { session_->runDelayedOperations(); }
  void OnCheckTeacherTimer() { session_->checkTeacher(); }
  void onExitClass();
  void OnReceiveMessage(QString sender, std::vector<LiveMessage> *msgs);
  void OnMemberChanged();
  void onHand() { session_->raiseHand(); }
  void playSound(const QString &name) { devices()->playClassSound(name); }

  // Devices (forwarded to ClassDevices).
  bool openCamera() { return devices()->openCamera(); }
  void disableCamera() { devices()->disableCamera(); }
  void reopenMic() { devices()->reopenMic(); }
  void reopenSpeaker() { devices()->reopenSpeaker(); }
  void reopenCamera() { devices()->reopenCamera(); }
  void setMic(int index, int value) override { devices()->setMic(index, value); }
  void setMicVol(int index, int value) override { devices()->setMicVol(index, value); }
  void setSpeaker(int index, int value) override { devices()->setSpeaker(index, value); }
  void setSpeakerVol(int index, int value) override { devices()->setSpeakerVol(index, value); }
  void setCamera(int camearIndex) override { devices()->setCamera(camearIndex); }
  void setDisableCamera(bool disable) override { devices()->setDisableCamera(disable); }
  void setHideUp(bool hide) override;
  void OnHsMicVol(int value) { devices()->onHsMicVol(value); }
  void OnHsSpeakerVol(int value) { devices()->onHsSpeakerVol(value); }
  void micTest(int micIndex, int speakerIndex, int micVol, int speakerVol) {
    devices()->micTest(micIndex, speakerIndex, micVol, speakerVol);
  }
  void speakerTest(int index, int value) { devices()->speakerTest(index, value); }
  void stopMicTest() { devices()->stopMicTest(); }
  void stopSpeakerTest() { devices()->stopSpeakerTest(); }
  void closeSetting();

  // Chat column.
  void onBtnSendMessage();
  void showMessageView();
  void showMemberView();
  void onEmoji();
  void onEmojiClicked(int &faceIndex);
  void onTextEditClicked();
  void imageView(const QString &url) override;
  void onScreenshotClicked();
  // The screenshot tool hands its finished picture here (called by name).
  void uploadPicture(QByteArray fileContent);
  void onToggleRemoteVideo();

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  void buildWidgets();
  void buildChat(ClassroomShell *shell);
  void installMessageHook();
  void connectSignals();
  void followSession();
  void connectToolBar();
  void buildVideo();
  void connectPictureUpload();
  void showLargeFrame(bool shown);
  void relabelTiles();

  void showTeacherPresent();
  void showWaitingForTeacher();
  void showDisplay(const QString &display);
  void showCodeError(int code, const QString &text, const QString &detail);
  void showTip(const QString &title, const QString &text);
  void showRedPacket(int amount);
  void startWhiteboard();
  void closeClassWindows();

  Ui::MainForm *ui;
  ClassSession *session_;
  ClassChat *chat_ = nullptr;
  EmojiPanel *emojiPanel_ = nullptr;
  QtImageView *imageView_ = nullptr; // made on the first picture, then reused
  ClassVideo *video_ = nullptr;
  QWidgetVideoRender *largeView_ = nullptr;
  QWidgetVideoRender *screenView_ = nullptr;
  QxtGlobalShortcut *screenshotKey_ = nullptr;
  QPointer<QWidget> screenshot_; // the screenshot tool; one at a time
  std::unique_ptr<ToolBarControls> controls_;
  QPointer<QWidget> whiteboard_;
  bool whiteboardReady_ = false;
  ClassroomShell *shell_ = nullptr;
  ReconnectBanner *reconnectBanner_ = nullptr;
};
