#pragma once
// The classroom window: the live class the shell opens inside itself. It signs in to the
// backend and the live SDK, waits for the teacher, joins the room, keeps the heartbeat and the
// roster going, follows the teacher's commands and leaves in two steps (backend exit and quit
// room first, then sign-out and release).
//
// The shell reaches it only through meta-object names (slots and invokables below); it reaches
// the shell through core's shellWindow() (shelllink.h). Every asynchronous answer that can come
// after the window is gone (backend replies, live SDK callbacks, timers) is dropped: backend
// calls are guarded by a child object, SDK callbacks carry tickets, timers are children.

#include "classroom/classbackend.h"
#include "classroom/classcommands.h"
#include "classroom/classdevices.h"
#include "classroom/classstage.h"
#include "messaging/livemessage.h"

#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <QWidget>
#include <vector>

class ClassChat;
class LiveCalls;
class MemberRoster;
class QTimer;
class QtLiveToolBar;

namespace Ui {
class MainForm;
}

class MainForm : public QWidget,
                 public ClassBackendListener,
                 public ClassCommandTarget,
                 public ClassStageHost,
                 public ClassDevicesHost {
  Q_OBJECT
public:
  static constexpr int kHeartbeatMs = 10000;
  static constexpr int kTeacherCheckMs = 10000;
  static constexpr int kDefaultRefreshMs = 120000;
  static constexpr int kWelcomeDelayMs = 2000;
  static constexpr int kSignatureMarginS = 600;
  static constexpr int kLoginRetries = 3;

  MainForm(const QString &lineType, QWidget *parent = nullptr, void *unused = nullptr);
  ~MainForm() override;

  // Shell seam (see shell/classroomlink.h).
  Q_INVOKABLE void setToken(const QString &token);
  Q_INVOKABLE void setRoomId(int roomId);
  Q_INVOKABLE void setMasterId(const QString &masterId);
  Q_INVOKABLE bool isReadyToLeave() const;
  Q_INVOKABLE int status() const { return status_; }
  Q_INVOKABLE bool isLeaving() const override { return leaving_; }
  Q_INVOKABLE QString getUserName() const { return userName_; }
  Q_INVOKABLE QString getUserId() const { return userId_; }
  Q_INVOKABLE void setUserName(QString &name) { userName_ = name; }
  Q_INVOKABLE QString getServerUrl2() const { return liveServiceBaseUrl_; }
  Q_INVOKABLE int getMessageLength(QVariantMap &message) const;

  void setStatus(int status) override;
  void changeDisplay(const QString &display);

  // State the shell, the tests and the later parts of the classroom read.
  bool notInRoom() const { return notInRoom_; }
  bool loggedOut() const { return loggedOut_; }
  bool isClosed() const { return closed_; }
  int loginRetries() const { return loginRetries_; }
  int refreshInterval() const { return refreshInterval_; }
  QString currentDisplay() const { return currentDisplay_; }
  bool displayCommandSeen() const { return displayCommandSeen_; }
  bool screenStreamReady() const { return screenStreamReady_; }
  QString uploadSignature() const { return uploadSignature_; }
  int signatureExpiry() const { return signatureExpiry_; }
  QString token() const { return backend_->token(); }
  int roomId() const { return backend_->roomId(); }
  QString lineType() const { return backend_->lineType(); }
  MemberRoster *roster() const { return roster_; }
  ClassChat *chat() const { return chat_; }
  ClassStage *stage() const { return stage_; }
  ClassDevices *devices() const { return devices_; }
  LiveCalls *liveCalls() const { return live_; }
  const ClassCommands &commands() const { return commands_; }
  QtLiveToolBar *toolBar() const;
  QTimer *heartbeatTimer() const { return heartbeatTimer_; }
  QTimer *refreshTimer() const { return refreshTimer_; }
  QTimer *delayTimer() const { return delayTimer_; }
  QTimer *teacherCheckTimer() const { return teacherCheckTimer_; }

  // ClassDevicesHost / ClassStageHost / ClassCommandTarget
  int sessionStatus() const override { return status_; }
  void reapplyStatus() override { setStatus(status_); }
  bool cameraUp() const override { return cameraUp_; }
  void setCameraUp(bool up) override { cameraUp_ = up; }
  QString userId() const override { return userId_; }
  QString masterId() const override { return masterId_; }
  QVariantMap currentSettings() override;
  void reloadSettings() override;
  AudioHelper *audioHelper() override;
  QString memberName(const QString &uid) const override;
  void addSystemMessage(const QString &text) override;
  void removeOwnTile() override;
  void setNetworkGood(bool good) override;
  QWidget *tipParent() override { return this; }

signals:
  void releaseFinished();
  void receiveMessage(QString sender, std::vector<LiveMessage> *msgs);
  void memberChanged();

public slots:
  void onBtnLogin();
  void onHeartBeatTimer();
  void onRefreshUserTimer();
  void OnDelayOperateTimer();
  void OnCheckTeacherTimer();
  void onExitClass();
  void OnReceiveMessage(QString sender, std::vector<LiveMessage> *msgs);
  void OnMemberChanged();
  void onHand();
  void playSound(const QString &name);

  // Devices (forwarded to ClassDevices).
  bool openCamera() override;
  void disableCamera();
  void reopenMic();
  void reopenSpeaker();
  void reopenCamera();
  void setMic(int index, int value);
  void setMicVol(int index, int value);
  void setSpeaker(int index, int value);
  void setSpeakerVol(int index, int value);
  void setCamera(int camearIndex);
  void setDisableCamera(bool disable);
  void setHideUp(bool hide);
  void OnHsMicVol(int value);
  void OnHsSpeakerVol(int value);
  void micTest(int micIndex, int speakerIndex, int micVol, int speakerVol);
  void speakerTest(int index, int value);
  void stopMicTest();
  void stopSpeakerTest();
  void closeSetting();

  // Chat column.
  void onBtnSendMessage();
  void showMessageView();
  void showMemberView();
  void imageView(const QString &url);
  void onScreenshotClicked();
  void onToggleRemoteVideo();

protected:
  void closeEvent(QCloseEvent *event) override;
  // Enter and Return in the chat input send, as the send button does (Shift+Enter: new line).
  bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
  void onLiveLoginSucceeded();
  void onLiveLoginFailed(int code, const QString &desc);
  void onJoinSucceeded();
  void onJoinFailed(int code, const QString &desc);
  void onQuitAnswered();
  void onLogoutSucceeded();
  void onLogoutFailed(int code, const QString &desc);
  void onScreenStreamReady();
  void onScreenStreamFailed(int code, const QString &desc);
  void onKicked();
  void onConnectionLost(int reason, const QString &text);
  void onMemberStatus(int event, const QStringList &userIds);

private:
  // ClassBackendListener
  void onLoginReply(int code, const QString &info, const QVariantMap &data) override;
  void onTeacherInRoomReply(int code, const QString &info, const QVariantMap &data) override;
  void onEnterReply(int code, const QString &info, const QVariantMap &data) override;
  void onExitReply(int code, const QString &info) override;
  void onRoomUserReply(const QVariantList &idlist) override;
  void onOneRoomUserReply(const QVariantList &idlist) override;
  void onSignatureReply(const QVariantMap &data) override;

  // ClassCommandTarget
  void welcomeMember(const QString &name) override;
  void queueWelcome(const QString &senderId) override;
  void teacherLeft() override;
  void goOnStage() override;
  void goOffStage() override;
  void markMemberStage(const QString &uid, bool onStage) override;
  void receiveChatCommand(const QString &param, uint32_t time) override;
  void displayCommand(const QString &display) override;
  void applyChatPermission(ChatPermission::Action action) override;
  void reward(const QString &json) override;
  void cameraRequested() override;
  void cameraClosedByTeacher() override;
  void rosterNotice(const QString &json) override;

  // ClassStageHost
  void sendHeartbeat() override;
  bool openMic() override;
  void closeMic() override;
  void closeCamera() override;
  void markOwnRow(bool onStage) override;
  QVariantMap localSettings() override { return currentSettings(); }

  // Construction, in order.
  void buildWidgets();
  void createTimers();
  void setupMembers();
  void registerCallbacks();
  void connectSignals();
  void connectToolBar();

  // Entering.
  void loginLive();
  void showTeacherPresent();
  void showWaitingForTeacher();
  void joinRoom();
  // Errors on the way: the code error tip, then the shell takes the class away.
  void failEntering(int code, const QString &message, const QString &detail);
  void leaveClass();

  // Leaving.
  void beginLeaving();
  void sendExit();
  void release();
  void stopSessionTimers();

  void startWhiteboard();
  void requestScreenStream();
  bool signatureDue() const;

  Ui::MainForm *ui;
  ClassBackend *backend_;
  LiveCalls *live_;
  MemberRoster *roster_;
  ClassChat *chat_ = nullptr;
  ClassDevices *devices_ = nullptr;
  ClassStage *stage_ = nullptr;
  ClassCommands commands_;

  QTimer *heartbeatTimer_ = nullptr;
  QTimer *refreshTimer_ = nullptr;
  QTimer *delayTimer_ = nullptr;
  QTimer *teacherCheckTimer_ = nullptr;

  QString masterId_;
  int status_ = 0;
  bool leaving_ = false;
  bool closed_ = false;
  bool exitSent_ = false;
  uint32_t appId_ = 0;
  uint32_t accountType_ = 0;
  QString liveServiceBaseUrl_;
  QString userId_;
  QString userSig_;
  QString authBuffer_;
  QString userName_;
  bool notInRoom_ = true;
  bool loggedOut_ = false;
  int loginRetries_ = 0;
  bool readyToLeave_ = false;
  bool cameraUp_ = false;
  int refreshInterval_ = kDefaultRefreshMs;
  bool displayCommandSeen_ = false;
  bool screenStreamReady_ = false;
  bool screenStreamRequesting_ = false;
  QString currentDisplay_;
  bool whiteboardStarted_ = false;
  QPointer<QWidget> whiteboard_;
  bool whiteboardReady_ = false;
  QPointer<QWidget> settingsDialog_;
  QString uploadSignature_;
  int signatureExpiry_ = 0;
};
