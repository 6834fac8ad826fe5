#include "classroom/classsession.h"

#include "classroom/chatpictureupload.h"
#include "classroom/classchatview.h"
#include "classroom/classcontrols.h"
#include "classroom/classcredentials.h"
#include "classroom/classroomseam.h"
#include "classroom/livecalls.h"
#include "classroom/memberroster.h"
#include "classroom/rewardnotice.h"
#include "core/deployment.h"
#include "messaging/classsend.h"
#include "messaging/imservice.h"
#include "sdk/live/ilive.h"

#include <QDateTime>
#include <QDebug>
#include <QTimer>

namespace {

const QString kDetailLogin = QStringLiteral("登录服务器出错");
const QString kDetailLive = QStringLiteral("进入直播间失败");
const QString kDetailEnter = QStringLiteral("进入教室失败");
const QString kDetailExit = QStringLiteral("退出教室失败");
const QString kScreen = QStringLiteral("Screen");
const QString kWhiteBoard = QStringLiteral("WhiteBoard");
constexpr int kExitNotInRoom = 10010;
constexpr int kJoinTeacherAbsent = 10015;

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction

ClassSession::ClassSession(const QString &lineType, ClassroomShell *shell, QObject *parent)
    : QObject(parent), shell_(shell), backend_(new ClassBackend(this, this)),
      live_(new LiveCalls(this)), roster_(new MemberRoster(this)),
      upload_(new ChatPictureUpload(this)), commands_(this),
      heartbeatTimer_(makeTimer("heartbeatTimer", &ClassSession::heartbeatTick)),
      refreshTimer_(makeTimer("refreshUserTimer", &ClassSession::refreshRoster)),
      delayTimer_(makeTimer("delayOperateTimer", &ClassSession::runDelayedOperations)),
      teacherCheckTimer_(makeTimer("checkTeacherTimer", &ClassSession::checkTeacher)) {
  backend_->setLineType(lineType);
  const Deployment &d = Deployment::instance();
  appId_ = uint32_t(d.sdkAppId);
  accountType_ = uint32_t(d.sdkAccountType);
  liveServiceBaseUrl_ = d.backendUrl + QStringLiteral("/live-service");
  upload_->setStorage(d.storageUrl, d.storageAccount);
  connect(roster_, &MemberRoster::memberChanged, this, &ClassSession::memberChanged);
  IMService::instance()->setWBWriterCheck([this](const QString &sender) { return boardWriters_.allows(sender); });
}

ClassSession::~ClassSession() {
  IMService::instance()->setWBWriterCheck({});
  live_->revoke();
}

void ClassSession::setMasterId(const QString &masterId) {
  masterId_ = masterId;
  boardWriters_.setTeacher(masterId);
}

QTimer *ClassSession::makeTimer(const char *name, void (ClassSession::*slot)()) {
  auto *timer = new QTimer(this);
  timer->setObjectName(QLatin1String(name));
  connect(timer, &QTimer::timeout, this, slot);
  return timer;
}

void ClassSession::attach(ClassChatView *chat, ClassControls *controls) {
  chat_ = chat;
  controls_ = controls;
  devices_ = new ClassDevices(this, controls, delayTimer_, this);
  stage_ = new ClassStage(this, live_, controls, this);
}

void ClassSession::start() {
  devices_->initVolumes();
  live_->registerWindowCallbacks();
  // The video widgets convert I420 themselves (off the GUI thread).
  GetILive()->setVideoColorFormat(ilive::COLOR_FORMAT_I420);
  ClassCredentials::instance().setApplication(appId_, accountType_);
  connectLive();
  setStatus(ClassStatus::Created);
  // The shell hands over the token right after construction; the signature asks with it.
  QTimer::singleShot(0, backend_, &ClassBackend::uploadSignature);
}

void ClassSession::connectLive() {
  connect(live_, &LiveCalls::loginSucceeded, this, &ClassSession::onLiveLoginSucceeded);
  connect(live_, &LiveCalls::loginFailed, this, &ClassSession::onLiveLoginFailed);
  connect(live_, &LiveCalls::joinSucceeded, this, &ClassSession::onJoinSucceeded);
  connect(live_, &LiveCalls::joinFailed, this, &ClassSession::onJoinFailed);
  connect(live_, &LiveCalls::quitSucceeded, this, &ClassSession::onQuitAnswered);
  connect(live_, &LiveCalls::quitFailed, this, &ClassSession::onQuitAnswered);
  connect(live_, &LiveCalls::logoutSucceeded, this, &ClassSession::onLogoutSucceeded);
  connect(live_, &LiveCalls::logoutFailed, this, &ClassSession::onLogoutFailed);
  connect(live_, &LiveCalls::screenStreamReady, this, &ClassSession::onScreenStreamReady);
  connect(live_, &LiveCalls::screenStreamFailed, this, &ClassSession::onScreenStreamFailed);
  connect(live_, &LiveCalls::kicked, this, &ClassSession::onKicked);
  connect(live_, &LiveCalls::connectionLost, this, &ClassSession::onConnectionLost);
  connect(live_, &LiveCalls::reconnecting, this, &ClassSession::reconnectingShown);
  connect(live_, &LiveCalls::memberStatus, this, &ClassSession::onMemberStatus);
  connect(live_, &LiveCalls::deviceOperation, devices_, &ClassDevices::onDeviceOperation);
  connect(live_, &LiveCalls::quality, devices_, &ClassDevices::onQuality);
}

// The toolbar's buttons and the chat input follow the status; chat opens only in the room and
// only while the teacher allows it.
void ClassSession::setStatus(ClassStatus status) {
  status_ = status;
  const bool inRoom = status == ClassStatus::Listening || status == ClassStatus::OnStage;
  controls_->setMicEnabled(status == ClassStatus::OnStage);
  controls_->setSpeakerEnabled(inRoom);
  chat_->setControlsEnabled(inRoom && chat_->chatAllowed());
  emit statusChanged(status);
}

void ClassSession::leaveClass() {
  if (!shell_) {
    emit leaveRequested();
    return;
  }
  shell_->leaveClass(false);
}

void ClassSession::failEntering(int code, const QString &message, const QString &detail) {
  emit codeErrorShown(code, message, detail);
  leaveClass();
}

// ---------------------------------------------------------------------------------------------
// Entering: backend sign-in, live SDK sign-in (retried), teacher check, enter, room join.

void ClassSession::onLoginReply(int code, const QString &info, const QVariantMap &data) {
  if (code != 0) {
    failEntering(code, info, kDetailLogin);
    return;
  }
  ClassCredentials &credentials = ClassCredentials::instance();
  if (data.contains(QStringLiteral("userSig"))) {
    userSig_ = data.value(QStringLiteral("userSig")).toString();
    credentials.setUserSig(userSig_);
  }
  if (data.contains(QStringLiteral("authBuffer")))
    authBuffer_ = data.value(QStringLiteral("authBuffer")).toString();
  imToken_ = data.value(QStringLiteral("imToken")).toString();
  live_->setMediaSeat(data.value(QStringLiteral("janusUrl")).toString(), data.value(QStringLiteral("janusToken")).toString(),
                      quint64(data.value(QStringLiteral("janusRoom")).toDouble()),
                      quint64(data.value(QStringLiteral("janusFeed")).toDouble()));
  if (data.contains(QStringLiteral("name"))) {
    userName_ = data.value(QStringLiteral("name")).toString();
    if (shell_)
      shell_->setMyName(userName_);
  }
  if (data.contains(QStringLiteral("userId"))) {
    userId_ = data.value(QStringLiteral("userId")).toString();
    credentials.setUserId(userId_);
  }
  upload_->setUser(userId_, userName_);
  loginLive();
}

void ClassSession::setUserName(const QString &name) {
  userName_ = name;
  upload_->setUser(userId_, userName_);
}

void ClassSession::loginLive() { live_->login(userId_, userSig_, imToken_); }

void ClassSession::onLiveLoginFailed(int code, const QString &desc) {
  if (code == ilive::ERR_ALREADY) {
    onLiveLoginSucceeded();
    return;
  }
  emit codeErrorShown(code, desc, kDetailLive);
  if (loginRetries_ >= kLoginRetries) {
    notInRoom_ = true;
    leaveClass();
    return;
  }
  ++loginRetries_;
  loginLive();
}

void ClassSession::onLiveLoginSucceeded() {
  setStatus(ClassStatus::SignedIn);
  backend_->teacherInRoom();
}

void ClassSession::onTeacherInRoomReply(int code, const QString &info, const QVariantMap &data) {
  teacherCheckTimer_->stop();
  if (code != 0) {
    failEntering(code, info, kDetailEnter);
    return;
  }
  if (!data.contains(QStringLiteral("result")))
    return;
  if (data.value(QStringLiteral("result")).toString() == QLatin1String("true"))
    showTeacherPresent();
  else
    showWaitingForTeacher();
}

void ClassSession::showTeacherPresent() {
  readyToLeave_ = false;
  emit teacherPresentShown();
  teacherCheckTimer_->stop();
  backend_->enter();
}

void ClassSession::showWaitingForTeacher() {
  emit waitingShown();
  teacherCheckTimer_->start(kTeacherCheckMs);
  readyToLeave_ = true;
}

void ClassSession::onEnterReply(int code, const QString &info, const QVariantMap &data) {
  if (code != 0) {
    emit codeErrorShown(code, info, kDetailEnter);
    reapplyStatus();
    leaveClass();
    return;
  }
  joinRoom();
  if (data.contains(QStringLiteral("refresh_interval")))
    refreshInterval_ = data.value(QStringLiteral("refresh_interval")).toInt() * 1000;
}

void ClassSession::joinRoom() {
  live_->registerRoomCallbacks();
  ClassCredentials::instance().setRoomId(roomId());
  live_->joinRoom(quint32(roomId()), authBuffer_);
}

void ClassSession::onJoinFailed(int code, const QString &desc) {
  const bool teacherAbsent = code == kExitNotInRoom || code == kJoinTeacherAbsent;
  const QString message =
      teacherAbsent ? QStringLiteral("教师还未进入教室，请稍后再试。") : desc;
  emit codeErrorShown(code, message, kDetailEnter);
  // Already in the room: the exit still has to be sent when the window closes.
  if (code == ilive::ERR_ALREADY)
    notInRoom_ = false;
  reapplyStatus();
  leaveClass();
}

void ClassSession::onJoinSucceeded() {
  g_sendGroupCustomCmd(ClassCommandCode::MemberEntered, userName_);
  setStatus(ClassStatus::Listening);
  devices_->openSpeakerWithSettings();
  backend_->roomUser(0);
  heartbeatTimer_->start(kHeartbeatMs);
  refreshTimer_->start(refreshInterval_);
  notInRoom_ = false;
  g_sendGroupCustomCmd(ClassCommandCode::Joined, QString());
  g_sendC2CCustomCmd(masterId_, ClassCommandCode::JoinedNewVersion, QStringLiteral("ignore_in_new_version"));
  g_sendC2CCustomCmd(masterId_, ClassCommandCode::AskChatPermission, QString());
  readyToLeave_ = true;
}

// ---------------------------------------------------------------------------------------------
// While the class runs

void ClassSession::sendHeartbeat() { backend_->heartbeat(status_ == ClassStatus::OnStage, cameraUp_); }

void ClassSession::heartbeatTick() {
  if (isLeaving())
    return;
  sendHeartbeat();
  if (!displayCommandSeen_)
    changeDisplay(kScreen);
  else if (!screenStreamReady_ && currentDisplay_ == kScreen)
    changeDisplay(kScreen);
  if (upload_->signatureDue())
    backend_->uploadSignature();
}

void ClassSession::onSignatureReply(const QVariantMap &data) { upload_->onSignatureReply(data); }

QString ClassSession::uploadSignature() const { return upload_->signature(); }

int ClassSession::signatureExpiry() const { return upload_->signatureExpiry(); }

void ClassSession::onRoomUserReply(const QVariantList &idlist) { roster_->applyFullRoster(idlist); }

void ClassSession::onOneRoomUserReply(const QVariantList &idlist) {
  membersAsked_.clear();
  roster_->applyMembers(idlist);
}

void ClassSession::changeDisplay(const QString &display) {
  qDebug("changeDisplay:%s", qUtf8Printable(display));
  if (display == kWhiteBoard && !whiteboardStarted_) {
    whiteboardStarted_ = true;
    emit whiteboardStartRequested();
  }
  if (display == kWhiteBoard || display == kScreen)
    emit displayChanged(display);
  if (display == kScreen)
    requestScreenStream();
  currentDisplay_ = display;
}

void ClassSession::requestScreenStream() {
  if (screenStreamReady_ || screenStreamRequesting_)
    return;
  screenStreamRequesting_ = true;
  live_->requestScreenStream(masterId_);
}

void ClassSession::onScreenStreamReady() {
  screenStreamReady_ = true;
  screenStreamRequesting_ = false;
}

void ClassSession::onScreenStreamFailed(int code, const QString &desc) {
  qDebug("onRequestStreamError:%d, %s", code, qUtf8Printable(desc));
  screenStreamRequesting_ = false;
}

// The stage area (video tiles) follows members through these events.
void ClassSession::onMemberStatus(int event, const QStringList &userIds) {
  qDebug("member status %d: %s", event, qUtf8Printable(userIds.join(QLatin1Char(','))));
  fetchUnknownMembers(event, userIds);
  if (event != ilive::MEMBER_ON_STAGE && event != ilive::MEMBER_OFF_STAGE && event != ilive::MEMBER_EXIT)
    return;
  for (const QString &id : userIds)
    boardWriters_.setOnStage(id, event == ilive::MEMBER_ON_STAGE);
}

// A classmate who comes in or on stage before any roster answer or notice lists them would
// show nameless (in chat and on a stage tile) until the next full refresh, up to its interval
// later: the one member is asked for at once, as for a notice's unknown entry.
void ClassSession::fetchUnknownMembers(int event, const QStringList &userIds) {
  if (event != ilive::MEMBER_ENTER && event != ilive::MEMBER_ON_STAGE && event != ilive::MEMBER_HAS_CAMERA)
    return;
  if (roster_->rowCount() == 0)
    return; // the first full answer is on its way and lists whoever is in already
  for (const QString &id : userIds) {
    // Coming in and on stage arrive together: one question each until an answer comes.
    if (id.isEmpty() || id == userId_ || roster_->rowOfMember(id) >= 0 || membersAsked_.contains(id))
      continue;
    membersAsked_.insert(id);
    backend_->oneRoomUser(id);
  }
}

// ---------------------------------------------------------------------------------------------
// Leaving: backend exit and quit room while in the room, then release.

void ClassSession::exitClass() {
  stage_->stopPushStream();
  devices_->closeMic();
  devices_->closeSpeaker();
  sendExit();
}

void ClassSession::sendExit() {
  // One exit per session: the close event may come again while the first one is answered.
  if (exitSent_)
    return;
  exitSent_ = true;
  backend_->exit();
}

void ClassSession::beginLeaving() {
  phase_ = ClassPhase::Leaving;
  roster_->setLeaving();
  live_->setDroppingRemoteFrames(true);
  upload_->setLeaving(true);
  emit leavingBegun();
  stage_->stopPushStream();
  live_->stopRemoteMedia();
}

bool ClassSession::closeRequested() {
  // Released already: a later close (the shell's, say) has nothing left to do.
  if (isClosed())
    return true;
  if (!isLeaving())
    beginLeaving();
  if (!notInRoom_) {
    sendExit();
    return false;
  }
  if (!loggedOut_)
    release();
  phase_ = ClassPhase::Closed;
  return true;
}

void ClassSession::onExitReply(int code, const QString &info) {
  if (code != 0 && code != kExitNotInRoom)
    emit codeErrorShown(code, info, kDetailExit);
  g_sendGroupCustomCmd(ClassCommandCode::MemberLeft, userId_);
  live_->quitRoom();
}

void ClassSession::onQuitAnswered() {
  notInRoom_ = true;
  emit closeWanted();
}

void ClassSession::release() {
  stopSessionTimers();
  delayTimer_->stop();
  teacherCheckTimer_->stop();
  live_->logout();
  emit releaseFinished();
}

void ClassSession::stopSessionTimers() {
  heartbeatTimer_->stop();
  refreshTimer_->stop();
}

void ClassSession::onLogoutFailed(int code, const QString &desc) {
  qDebug("OniLiveLogoutError:%d, %s, %s", code, qUtf8Printable(desc), "logout");
}

void ClassSession::onKicked() {
  stopSessionTimers();
  emit tipShown(QStringLiteral("被踢下线"), QStringLiteral("你的账号在其他地方登录,点击确认后关闭!"));
  leaveClass();
}

void ClassSession::onConnectionLost(int reason, const QString &text) {
  stopSessionTimers();
  emit codeErrorShown(reason, QStringLiteral("与课堂的连接异常中断，请检查网络是否正常！"), text);
  notInRoom_ = true;
  leaveClass();
}

// ---------------------------------------------------------------------------------------------
// Teacher commands

void ClassSession::receiveMessages(const QString &sender,
                                   std::unique_ptr<std::vector<LiveMessage>> msgs) {
  if (!msgs)
    return;
  std::vector<LiveMessage> plain;
  for (const LiveMessage &record : *msgs) {
    if (record.type == LiveMessage::Custom)
      commands_.dispatchText(sender, record.text, record.time);
    else
      plain.push_back(record);
  }
  if (!plain.empty())
    chat_->receivePlain(roster_->memberText(sender, MemberRoster::ColName),
                        roster_->memberText(sender, MemberRoster::ColDevice), plain);
}

void ClassSession::welcomeMember(const QString &name) {
  addSystemMessage(QStringLiteral("%1 %2 %3").arg(QStringLiteral("欢迎"), name, QStringLiteral("进入教室")));
}

void ClassSession::queueWelcome(const QString &senderId) {
  devices_->queueOperation(QLatin1String(ClassDevices::kEnterLive) + QLatin1Char(':') + senderId,
                           kWelcomeDelayMs);
}

void ClassSession::teacherLeft() {
  stopSessionTimers();
  emit tipShown(QStringLiteral("老师退出房间"), QStringLiteral("老师已经退出房间."));
  leaveClass();
}

void ClassSession::markMemberStage(const QString &uid, bool onStage) {
  roster_->setMemberColumn(uid, MemberRoster::ColStatus, onStage ? QStringLiteral("连麦") : QString());
  roster_->setMemberColumn(uid, MemberRoster::ColRole, onStage ? QStringLiteral("2") : QStringLiteral("0"));
}

void ClassSession::receiveChatCommand(const QString &sender, const QString &param, uint32_t time) {
  chat_->receiveChatCommand(roster_->memberText(sender, MemberRoster::ColName), param, time);
}

void ClassSession::displayCommand(const QString &display) {
  displayCommandSeen_ = true;
  changeDisplay(display);
}

void ClassSession::applyChatPermission(ChatPermission::Action action) {
  if (action == ChatPermission::Forbid)
    chat_->closeChat();
  else if (action == ChatPermission::Allow)
    chat_->openChat();
}

void ClassSession::reward(const QString &json) {
  const RewardNotice notice = RewardNotice::parse(json, userId_);
  if (!notice.valid)
    return;
  if (notice.hasPacket())
    emit rewardShown(notice.amount);
  addSystemMessage(notice.chatText());
  devices_->playClassSound(QStringLiteral("reward.wav"));
}

void ClassSession::rosterNotice(const QString &json) {
  const MemberRoster::NoticeOutcome outcome = roster_->applyNotice(json);
  if (outcome.fullRefresh)
    backend_->roomUser(1);
  for (const QString &uid : outcome.fetch)
    backend_->oneRoomUser(uid);
}

void ClassSession::raiseHand() { g_sendC2CCustomCmd(masterId_, ClassCommandCode::HandRaised, userId_); }

// ---------------------------------------------------------------------------------------------
// What the parts ask of the shell and the window.

QVariantMap ClassSession::currentSettings() {
  return shell_ ? shell_->currentSettings() : QVariantMap();
}

void ClassSession::reloadSettings() {
  if (shell_)
    shell_->loadSetting();
}

AudioHelper *ClassSession::audioHelper() { return shell_ ? shell_->audioHelper() : nullptr; }

QString ClassSession::memberName(const QString &uid) const {
  return roster_->memberText(uid, MemberRoster::ColName);
}

void ClassSession::addSystemMessage(const QString &text) { chat_->addSystemMessage(text); }

// The student's own tile leaves the stage strip; the strip's tile pool comes with the video
// routing and is empty until then.
void ClassSession::removeOwnTile() { emit ownTileRemoved(); }

void ClassSession::setCameraUp(bool up) {
  cameraUp_ = up;
  emit cameraUpChanged(up);
}

void ClassSession::setNetworkGood(bool good) {
  if (!shell_)
    return;
  if (good)
    shell_->setNetGood();
  else
    shell_->setNetBad();
}
