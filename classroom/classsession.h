#pragma once
// The live class without its window: signs in to the backend and the live SDK, waits for the
// teacher, joins the room, keeps the heartbeat and the roster going, follows the teacher's
// commands and leaves in two steps (backend exit and quit room first, then sign-out and
// release). It owns the session state, its parts and the timers; the window follows its
// signals and lends it the chat column and the toolbar through small interfaces.
//
// Every asynchronous answer that can come after the session is gone is dropped: backend calls
// are guarded by a child object, SDK callbacks carry tickets, timers are children.

#include "classroom/boardwriters.h"
#include "classroom/chatpictureupload.h"
#include "classroom/classbackend.h"
#include "classroom/classcommands.h"
#include "classroom/classdevices.h"
#include "classroom/classstage.h"
#include "classroom/classstatus.h"
#include "messaging/livemessage.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QVariantMap>
#include <memory>
#include <vector>

class ClassChatView;
class ClassControls;
class ClassroomShell;
class LiveCalls;
class MemberRoster;
class QTimer;

class ClassSession : public QObject,
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
  static constexpr int kSignatureMarginS = int(ChatPictureUpload::kRenewalMarginS);
  static constexpr int kLoginRetries = 3;

  // shell may be null: the session then asks its window to close itself instead.
  ClassSession(const QString &lineType, ClassroomShell *shell, QObject *parent);
  ~ClassSession() override;

  // The window's chat column and controls; the devices and the stage start with them.
  void attach(ClassChatView *chat, ClassControls *controls);
  // Construction's last steps: settings and volumes, callbacks, status 0, upload signature.
  void start();

  void setToken(const QString &token) { backend_->setToken(token); }
  void setRoomId(int roomId) { backend_->setRoomId(roomId); }
  // The room's teacher: the one whose teacher's commands are obeyed and who writes on the board.
  void setMasterId(const QString &masterId);
  // A name changed in class: what the student sends from now on carries it.
  void setUserName(const QString &name);

  // Entering, the periodic work and leaving.
  void login() { backend_->bgpLogin(); }
  void heartbeatTick();
  void refreshRoster() { backend_->roomUser(0); }
  void runDelayedOperations() { devices_->runPendingOperations(); }
  void checkTeacher() { backend_->teacherInRoom(); }
  // The student's leave after the question: push stream, microphone, speaker, backend exit.
  void exitClass();
  // The window's close event: true when the window may close now.
  bool closeRequested();
  void changeDisplay(const QString &display);
  // Takes the messages of one IM delivery: commands are dispatched, the rest goes to chat.
  void receiveMessages(const QString &sender, std::unique_ptr<std::vector<LiveMessage>> msgs);
  void raiseHand();

  // State.
  ClassStatus classStatus() const { return status_; }
  ClassPhase phase() const { return phase_; }
  bool isLeaving() const override { return phase_ != ClassPhase::Running; }
  bool isClosed() const { return phase_ == ClassPhase::Closed; }
  bool readyToLeave() const { return readyToLeave_; }
  bool notInRoom() const { return notInRoom_; }
  bool loggedOut() const { return loggedOut_; }
  int loginRetries() const { return loginRetries_; }
  int refreshInterval() const { return refreshInterval_; }
  QString currentDisplay() const { return currentDisplay_; }
  bool displayCommandSeen() const { return displayCommandSeen_; }
  bool screenStreamReady() const { return screenStreamReady_; }
  QString uploadSignature() const;
  int signatureExpiry() const;
  ChatPictureUpload *pictureUpload() const { return upload_; }
  QString userName() const { return userName_; }
  QString liveServiceBaseUrl() const { return liveServiceBaseUrl_; }
  QString token() const { return backend_->token(); }
  int roomId() const { return backend_->roomId(); }
  QString lineType() const { return backend_->lineType(); }
  MemberRoster *roster() const { return roster_; }
  ClassStage *stage() const { return stage_; }
  ClassDevices *devices() const { return devices_; }
  LiveCalls *liveCalls() const { return live_; }
  const ClassCommands &commands() const { return commands_; }
  const BoardWriters &boardWriters() const { return boardWriters_; }
  QTimer *heartbeatTimer() const { return heartbeatTimer_; }
  QTimer *refreshTimer() const { return refreshTimer_; }
  QTimer *delayTimer() const { return delayTimer_; }
  QTimer *teacherCheckTimer() const { return teacherCheckTimer_; }

  // ClassDevicesHost / ClassStageHost / ClassCommandTarget
  ClassStatus sessionStatus() const override { return status_; }
  void setStatus(ClassStatus status) override;
  void reapplyStatus() override { setStatus(status_); }
  bool cameraUp() const override { return cameraUp_; }
  void setCameraUp(bool up) override;
  QString userId() const override { return userId_; }
  QString masterId() const override { return masterId_; }
  QVariantMap currentSettings() override;
  void reloadSettings() override;
  AudioHelper *audioHelper() override;
  QString memberName(const QString &uid) const override;
  void addSystemMessage(const QString &text) override;
  void removeOwnTile() override;
  void setNetworkGood(bool good) override;
  void showTip(const QString &title, const QString &text) override { emit tipShown(title, text); }
  bool openCamera() override { return devices_->openCamera(); }
  void sendHeartbeat() override;

signals:
  void statusChanged(ClassStatus status);
  // The teacher is in the room (teacher-screen area) / not yet (waiting area).
  void teacherPresentShown();
  void waitingShown();
  // "WhiteBoard" or "Screen": which area shows.
  void displayChanged(const QString &display);
  // The first switch to the whiteboard: the window makes the whiteboard window now.
  void whiteboardStartRequested();
  void codeErrorShown(int code, const QString &text, const QString &detail);
  void tipShown(const QString &title, const QString &text);
  void rewardShown(int amount); // a red packet with this amount
  // No shell to take the class away: the window hides and closes itself.
  void leaveRequested();
  // The room is left: the window closes again, which now releases the session.
  void closeWanted();
  void releaseFinished();
  void memberChanged();
  // The student's own stage tile goes (taken off stage, or the camera closed).
  void ownTileRemoved();
  // The student's camera was opened for the class (true) or closed (false).
  void cameraUpChanged(bool up);
  // Closing has begun: remote video is dropped from now on.
  void leavingBegun();
  // The link to the class broke and is being brought back (true), or is back (false); the
  // class goes on as it was meanwhile.
  void reconnectingShown(bool on);

private slots:
  void onLiveLoginSucceeded();
  void onLiveLoginFailed(int code, const QString &desc);
  void onJoinSucceeded();
  void onJoinFailed(int code, const QString &desc);
  void onQuitAnswered();
  void onLogoutSucceeded() { loggedOut_ = true; }
  void onLogoutFailed(int code, const QString &desc);
  void onScreenStreamReady();
  void onScreenStreamFailed(int code, const QString &desc);
  void onKicked();
  void onConnectionLost(int reason, const QString &text);
  void onMemberStatus(int event, const QStringList &userIds);
  void fetchUnknownMembers(int event, const QStringList &userIds);

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
  void goOnStage() override { stage_->goOnStage(); }
  void goOffStage() override { stage_->goOffStage(); }
  void markMemberStage(const QString &uid, bool onStage) override;
  void receiveChatCommand(const QString &sender, const QString &param, uint32_t time) override;
  void displayCommand(const QString &display) override;
  void applyChatPermission(ChatPermission::Action action) override;
  void reward(const QString &json) override;
  void cameraRequested() override { stage_->cameraRequested(); }
  void cameraClosedByTeacher() override { stage_->cameraClosedByTeacher(); }
  void rosterNotice(const QString &json) override;

  // ClassStageHost
  bool openMic() override { return devices_->openMicWithSettings(); }
  void closeMic() override { devices_->closeMic(); }
  void closeCamera() override { devices_->closeCamera(); }
  void markOwnRow(bool onStage) override { markMemberStage(userId_, onStage); }
  QVariantMap localSettings() override { return currentSettings(); }

  QTimer *makeTimer(const char *name, void (ClassSession::*slot)());
  void connectLive();
  void loginLive();
  void showTeacherPresent();
  void showWaitingForTeacher();
  void joinRoom();
  // Errors on the way: the code error tip, then the shell takes the class away.
  void failEntering(int code, const QString &message, const QString &detail);
  void leaveClass();
  void beginLeaving();
  void sendExit();
  void release();
  void stopSessionTimers();
  void requestScreenStream();

  ClassroomShell *shell_;
  ClassBackend *backend_;
  LiveCalls *live_;
  MemberRoster *roster_;
  QSet<QString> membersAsked_; // one_room_user questions without an answer yet
  ChatPictureUpload *upload_;
  ClassChatView *chat_ = nullptr;
  ClassControls *controls_ = nullptr;
  ClassDevices *devices_ = nullptr;
  ClassStage *stage_ = nullptr;
  ClassCommands commands_;
  BoardWriters boardWriters_;

  QTimer *heartbeatTimer_;
  QTimer *refreshTimer_;
  QTimer *delayTimer_;
  QTimer *teacherCheckTimer_;

  QString masterId_;
  ClassStatus status_ = ClassStatus::Created;
  ClassPhase phase_ = ClassPhase::Running;
  bool exitSent_ = false; // one backend exit per session, whichever way leaving started
  uint32_t appId_ = 0;
  uint32_t accountType_ = 0;
  QString liveServiceBaseUrl_;
  QString userId_;
  QString userSig_;
  QString authBuffer_;
  QString imToken_; // the IM server's sign-in token when IM runs on an XMPP server
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
};
