#include "classroom/mainform.h"
#include "ui_mainform.h"

#include "classroom/classchat.h"
#include "classroom/classcredentials.h"
#include "classroom/livecalls.h"
#include "classroom/memberroster.h"
#include "classroom/rewardnotice.h"
#include "classroom/shelllink.h"
#include "classroom_widgets/qtlivetoolbar.h"
#include "classroom_widgets/qtredpacket.h"
#include "classroom_widgets/qtsuperbutton.h"
#include "core/deployment.h"
#include "widgets/tips.h"
#include "messaging/classcommand.h"
#include "messaging/classsend.h"
#include "messaging/messagehook.h"
#include "widgets/qtmessagebox.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDebug>
#include <QIcon>
#include <QKeyEvent>
#include <QStandardItemModel>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <memory>

namespace {

const QString kDetailLogin = QStringLiteral("登录服务器出错");
const QString kDetailLive = QStringLiteral("进入直播间失败");
const QString kDetailEnter = QStringLiteral("进入教室失败");
const QString kDetailExit = QStringLiteral("退出教室失败");
const QString kScreen = QStringLiteral("Screen");
const QString kWhiteBoard = QStringLiteral("WhiteBoard");
const QString kArrowUp = QStringLiteral(":/res/Resources/arrow_up_32x32.png");
const QString kArrowDown = QStringLiteral(":/res/Resources/arrow_down_32x32.png");

// The window that receives IM messages now. A window being destroyed unregisters the hook only
// when it is still its own, so that it never cuts off a newer classroom.
QObject *g_hookWindow = nullptr;

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction

MainForm::MainForm(const QString &lineType, QWidget *parent, void *)
    : QWidget(parent), ui(new Ui::MainForm), backend_(new ClassBackend(this, this)),
      live_(new LiveCalls(this)), roster_(new MemberRoster(this)), commands_(this) {
  backend_->setLineType(lineType);
  const Deployment &d = Deployment::instance();
  appId_ = uint32_t(d.sdkAppId);
  accountType_ = uint32_t(d.sdkAccountType);
  liveServiceBaseUrl_ = d.backendUrl + QStringLiteral("/live-service");

  buildWidgets();
  createTimers();
  devices_ = new ClassDevices(this, toolBar(), delayTimer_, this);
  devices_->initVolumes();
  setupMembers();
  registerCallbacks();
  connectSignals();
  setStatus(0);
  // The shell hands over the token right after construction; the signature asks with it.
  QTimer::singleShot(0, backend_, &ClassBackend::uploadSignature);
}

MainForm::~MainForm() {
  if (g_hookWindow == this) {
    MessageHook::uninstall();
    g_hookWindow = nullptr;
  }
  live_->revoke();
  delete ui;
}

void MainForm::buildWidgets() {
  ui->setupUi(this);
  setAttribute(Qt::WA_DontCreateNativeAncestors);
  resize(1434, 829);
  ui->widgetWaiting->hide();
  ui->widgetWhiteBoard->hide();
  ui->labelLogo->setPixmap(QPixmap(QStringLiteral(":/res/Resources/logo_110x97.png")));
  ui->labelRemoteVideo->setPixmap(QPixmap(QStringLiteral(":/res/Resources/teacher_video_idle.png")));
  ui->btnToggleRemoteVideo->setIcon(QIcon(kArrowUp));
  ui->btnToggleRemoteVideo->setToolTip(QStringLiteral("收起老师视频"));
  ui->chatView->document()->setDocumentMargin(10);
  chat_ = new ClassChat(ui->chatView, ui->textEditChat, ui->btnSend, ui->widgetChatToolBar, this);
}

void MainForm::createTimers() {
  heartbeatTimer_ = new QTimer(this);
  heartbeatTimer_->setObjectName(QStringLiteral("heartbeatTimer"));
  refreshTimer_ = new QTimer(this);
  refreshTimer_->setObjectName(QStringLiteral("refreshUserTimer"));
  delayTimer_ = new QTimer(this);
  delayTimer_->setObjectName(QStringLiteral("delayOperateTimer"));
  teacherCheckTimer_ = new QTimer(this);
  teacherCheckTimer_->setObjectName(QStringLiteral("checkTeacherTimer"));
  ui->widgetRemoteTitle->hide();
  ui->widgetRemoteVideo->hide();
}

void MainForm::setupMembers() {
  roster_->attachView(ui->tbMembers);
  stage_ = new ClassStage(this, live_, toolBar()->superButton(), this);
}

void MainForm::registerCallbacks() {
  live_->registerWindowCallbacks();
  if (g_hookWindow && g_hookWindow != this)
    qWarning("a newer classroom window takes over the IM messages");
  MessageHook::install(this);
  g_hookWindow = this;
  GetILive()->setVideoColorFormat(LiveCalls::chooseColorFormat());
  ClassCredentials::instance().setApplication(appId_, accountType_);
}

void MainForm::connectSignals() {
  connect(heartbeatTimer_, &QTimer::timeout, this, &MainForm::onHeartBeatTimer);
  connect(refreshTimer_, &QTimer::timeout, this, &MainForm::onRefreshUserTimer);
  connect(delayTimer_, &QTimer::timeout, this, &MainForm::OnDelayOperateTimer);
  connect(teacherCheckTimer_, &QTimer::timeout, this, &MainForm::OnCheckTeacherTimer);
  connect(roster_, &MemberRoster::memberChanged, this, &MainForm::memberChanged);
  connect(this, &MainForm::memberChanged, this, &MainForm::OnMemberChanged);
  registerLiveMessageType();
  connect(this, &MainForm::receiveMessage, this, &MainForm::OnReceiveMessage);
  connect(ui->btnToggleRemoteVideo, &QPushButton::clicked, this, &MainForm::onToggleRemoteVideo);
  connect(ui->btnSend, &QPushButton::clicked, this, &MainForm::onBtnSendMessage);
  ui->textEditChat->installEventFilter(this);
  connect(ui->btnTabChat, &QPushButton::clicked, this, &MainForm::showMessageView);
  connect(ui->btnTabMembers, &QPushButton::clicked, this, &MainForm::showMemberView);

  connect(live_, &LiveCalls::loginSucceeded, this, &MainForm::onLiveLoginSucceeded);
  connect(live_, &LiveCalls::loginFailed, this, &MainForm::onLiveLoginFailed);
  connect(live_, &LiveCalls::joinSucceeded, this, &MainForm::onJoinSucceeded);
  connect(live_, &LiveCalls::joinFailed, this, &MainForm::onJoinFailed);
  connect(live_, &LiveCalls::quitSucceeded, this, &MainForm::onQuitAnswered);
  connect(live_, &LiveCalls::quitFailed, this, &MainForm::onQuitAnswered);
  connect(live_, &LiveCalls::logoutSucceeded, this, &MainForm::onLogoutSucceeded);
  connect(live_, &LiveCalls::logoutFailed, this, &MainForm::onLogoutFailed);
  connect(live_, &LiveCalls::screenStreamReady, this, &MainForm::onScreenStreamReady);
  connect(live_, &LiveCalls::screenStreamFailed, this, &MainForm::onScreenStreamFailed);
  connect(live_, &LiveCalls::kicked, this, &MainForm::onKicked);
  connect(live_, &LiveCalls::connectionLost, this, &MainForm::onConnectionLost);
  connect(live_, &LiveCalls::memberStatus, this, &MainForm::onMemberStatus);
  connect(live_, &LiveCalls::deviceOperation, devices_, &ClassDevices::onDeviceOperation);
  connect(live_, &LiveCalls::quality, devices_, &ClassDevices::onQuality);
  connectToolBar();
}

void MainForm::connectToolBar() {
  QtLiveToolBar *bar = toolBar();
  connect(bar, &QtLiveToolBar::micOnRequested, devices_, &ClassDevices::openMicWithSettings);
  connect(bar, &QtLiveToolBar::micOffRequested, devices_, &ClassDevices::closeMic);
  connect(bar, &QtLiveToolBar::speakerOnRequested, devices_, &ClassDevices::openSpeakerWithSettings);
  connect(bar, &QtLiveToolBar::speakerOffRequested, devices_, &ClassDevices::closeSpeaker);
  connect(bar, &QtLiveToolBar::micVolumeRequested, this, &MainForm::OnHsMicVol);
  connect(bar, &QtLiveToolBar::speakerVolumeRequested, this, &MainForm::OnHsSpeakerVol);
  connect(bar->superButton(), &QtSuperButton::handRaised, this, &MainForm::onHand);
}

QtLiveToolBar *MainForm::toolBar() const { return ui->widgetToolBar; }

// ---------------------------------------------------------------------------------------------
// Shell seam and state

void MainForm::setToken(const QString &token) { backend_->setToken(token); }

void MainForm::setRoomId(int roomId) { backend_->setRoomId(roomId); }

void MainForm::setMasterId(const QString &masterId) { masterId_ = masterId; }

bool MainForm::isReadyToLeave() const {
  if (whiteboard_ && !whiteboardReady_)
    return false;
  return readyToLeave_;
}

void MainForm::setStatus(int status) {
  status_ = status;
  QtLiveToolBar *bar = toolBar();
  bar->setMicEnabled(false);
  bar->setSpeakerEnabled(false);
  chat_->setControlsEnabled(false);
  if (status == 2) {
    bar->setSpeakerEnabled(true);
  } else if (status == 3) {
    bar->setSpeakerEnabled(true);
    bar->setMicEnabled(true);
  }
  if ((status == 2 || status == 3) && chat_->chatAllowed())
    chat_->setControlsEnabled(true);
}

void MainForm::leaveClass() {
  // Without a shell (a window on its own) the window closes itself the same way.
  if (!ShellLink::leaveClass(false)) {
    hide();
    close();
  }
}

void MainForm::failEntering(int code, const QString &message, const QString &detail) {
  ShowCodeErrorTips(code, message, this, detail);
  leaveClass();
}

// ---------------------------------------------------------------------------------------------
// Entering: backend sign-in, live SDK sign-in (retried), teacher check, enter, room join.

void MainForm::onBtnLogin() { backend_->bgpLogin(); }

void MainForm::onLoginReply(int code, const QString &info, const QVariantMap &data) {
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
  if (data.contains(QStringLiteral("name"))) {
    userName_ = data.value(QStringLiteral("name")).toString();
    ShellLink::setMyName(userName_);
  }
  if (data.contains(QStringLiteral("userId"))) {
    userId_ = data.value(QStringLiteral("userId")).toString();
    credentials.setUserId(userId_);
  }
  loginLive();
}

void MainForm::loginLive() { live_->login(userId_, userSig_); }

void MainForm::onLiveLoginFailed(int code, const QString &desc) {
  if (code == ilive::ERR_ALREADY) {
    onLiveLoginSucceeded();
    return;
  }
  ShowCodeErrorTips(code, desc, this, kDetailLive);
  if (loginRetries_ >= kLoginRetries) {
    notInRoom_ = true;
    leaveClass();
    return;
  }
  ++loginRetries_;
  loginLive();
}

void MainForm::onLiveLoginSucceeded() {
  setStatus(1);
  backend_->teacherInRoom();
}

void MainForm::OnCheckTeacherTimer() { backend_->teacherInRoom(); }

void MainForm::onTeacherInRoomReply(int code, const QString &info, const QVariantMap &data) {
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

void MainForm::showTeacherPresent() {
  readyToLeave_ = false;
  ui->widgetWaiting->hide();
  ui->widgetWhiteBoard->hide();
  ui->layoutScreenShare->show();
  setEnabled(true);
  teacherCheckTimer_->stop();
  backend_->enter();
}

void MainForm::showWaitingForTeacher() {
  ui->widgetWaiting->show();
  ui->layoutScreenShare->hide();
  ui->widgetWhiteBoard->hide();
  teacherCheckTimer_->start(kTeacherCheckMs);
  readyToLeave_ = true;
}

void MainForm::onEnterReply(int code, const QString &info, const QVariantMap &data) {
  if (code != 0) {
    ShowCodeErrorTips(code, info, this, kDetailEnter);
    setStatus(status_);
    leaveClass();
    return;
  }
  joinRoom();
  if (data.contains(QStringLiteral("refresh_interval")))
    refreshInterval_ = data.value(QStringLiteral("refresh_interval")).toInt() * 1000;
}

void MainForm::joinRoom() {
  live_->registerRoomCallbacks();
  ClassCredentials::instance().setRoomId(roomId());
  live_->joinRoom(quint32(roomId()), authBuffer_, lineType() == QLatin1String("bgp"));
}

void MainForm::onJoinFailed(int code, const QString &desc) {
  const bool teacherAbsent = code == 10010 || code == 10015;
  const QString message =
      teacherAbsent ? QStringLiteral("教师还未进入教室，请稍后再试。") : desc;
  ShowCodeErrorTips(code, message, this, kDetailEnter);
  // Already in the room: the exit still has to be sent when the window closes.
  if (code == ilive::ERR_ALREADY)
    notInRoom_ = false;
  setStatus(status_);
  leaveClass();
}

void MainForm::onJoinSucceeded() {
  g_sendGroupCustomCmd(1, userName_);
  setStatus(2);
  devices_->openSpeakerWithSettings();
  backend_->roomUser(0);
  heartbeatTimer_->start(kHeartbeatMs);
  refreshTimer_->start(refreshInterval_);
  notInRoom_ = false;
  g_sendGroupCustomCmd(2058, QString());
  g_sendC2CCustomCmd(masterId_, 2060, QStringLiteral("ignore_in_new_version"));
  g_sendC2CCustomCmd(masterId_, 2112, QString());
  readyToLeave_ = true;
}

// ---------------------------------------------------------------------------------------------
// While the class runs

void MainForm::sendHeartbeat() { backend_->heartbeat(status_ == 3, cameraUp_); }

bool MainForm::signatureDue() const {
  const qint64 now = QDateTime::currentSecsSinceEpoch();
  return uploadSignature_.isEmpty() || now > qint64(signatureExpiry_) - kSignatureMarginS;
}

void MainForm::onHeartBeatTimer() {
  if (leaving_)
    return;
  sendHeartbeat();
  if (!displayCommandSeen_)
    changeDisplay(kScreen);
  else if (!screenStreamReady_ && currentDisplay_ == kScreen)
    changeDisplay(kScreen);
  if (signatureDue())
    backend_->uploadSignature();
}

void MainForm::onSignatureReply(const QVariantMap &data) {
  if (data.contains(QStringLiteral("signature")))
    uploadSignature_ = data.value(QStringLiteral("signature")).toString();
  if (data.contains(QStringLiteral("expired")))
    signatureExpiry_ = data.value(QStringLiteral("expired")).toInt();
}

void MainForm::onRefreshUserTimer() { backend_->roomUser(0); }

void MainForm::onRoomUserReply(const QVariantList &idlist) { roster_->applyFullRoster(idlist); }

void MainForm::onOneRoomUserReply(const QVariantList &idlist) { roster_->applyMembers(idlist); }

void MainForm::OnMemberChanged() {
  if (leaving_)
    return;
  ui->tbMembers->viewport()->update();
  emit roster_->model()->layoutChanged();
  roster_->sortMembers();
}

void MainForm::OnDelayOperateTimer() { devices_->runPendingOperations(); }

void MainForm::changeDisplay(const QString &display) {
  qDebug("changeDisplay:%s", qUtf8Printable(display));
  if (display == kWhiteBoard) {
    if (!whiteboardStarted_) {
      startWhiteboard();
      whiteboardStarted_ = true;
    }
    ui->layoutScreenShare->hide();
    ui->widgetWhiteBoard->show();
  } else if (display == kScreen) {
    ui->layoutScreenShare->show();
    ui->widgetWhiteBoard->hide();
    requestScreenStream();
  }
  currentDisplay_ = display;
}

// The whiteboard window comes with the whiteboard library; its place is widgetWhiteBoard.
void MainForm::startWhiteboard() { qDebug("whiteboard requested; this build has none"); }

void MainForm::requestScreenStream() {
  if (screenStreamReady_ || screenStreamRequesting_)
    return;
  screenStreamRequesting_ = true;
  live_->requestScreenStream(masterId_);
}

void MainForm::onScreenStreamReady() {
  screenStreamReady_ = true;
  screenStreamRequesting_ = false;
}

void MainForm::onScreenStreamFailed(int code, const QString &desc) {
  qDebug("onRequestStreamError:%d, %s", code, qUtf8Printable(desc));
  screenStreamRequesting_ = false;
}

// The stage area (video tiles) follows members through these events.
void MainForm::onMemberStatus(int event, const QStringList &userIds) {
  qDebug("member status %d: %s", event, qUtf8Printable(userIds.join(QLatin1Char(','))));
}

// ---------------------------------------------------------------------------------------------
// Leaving: backend exit and quit room while in the room, then release.

void MainForm::onExitClass() {
  if (!QtMessageBox::question(this, QStringLiteral("确认"), QStringLiteral("确认要离开教室吗？")))
    return;
  stage_->stopPushStream();
  devices_->closeMic();
  devices_->closeSpeaker();
  sendExit();
}

void MainForm::sendExit() {
  // One exit per session: the close event may come again while the first one is answered.
  if (exitSent_)
    return;
  exitSent_ = true;
  backend_->exit();
}

void MainForm::beginLeaving() {
  leaving_ = true;
  roster_->setLeaving();
  live_->setDroppingRemoteFrames(true);
  stage_->stopPushStream();
  live_->stopRemoteMedia();
}

void MainForm::closeEvent(QCloseEvent *event) {
  // Released already: a later close (the shell's, say) has nothing left to do.
  if (closed_) {
    event->accept();
    return;
  }
  if (!leaving_)
    beginLeaving();
  if (!notInRoom_) {
    sendExit();
    event->ignore();
    return;
  }
  if (!loggedOut_)
    release();
  closed_ = true;
  event->accept();
}

void MainForm::onExitReply(int code, const QString &info) {
  if (code != 0 && code != 10010)
    ShowCodeErrorTips(code, info, this, kDetailExit);
  g_sendGroupCustomCmd(4, userId_);
  live_->quitRoom();
}

void MainForm::onQuitAnswered() {
  notInRoom_ = true;
  close();
}

void MainForm::release() {
  if (whiteboard_) {
    whiteboard_->close();
    delete whiteboard_;
  }
  stopSessionTimers();
  delayTimer_->stop();
  teacherCheckTimer_->stop();
  live_->logout();
  emit releaseFinished();
}

void MainForm::stopSessionTimers() {
  heartbeatTimer_->stop();
  refreshTimer_->stop();
}

void MainForm::onLogoutSucceeded() { loggedOut_ = true; }

void MainForm::onLogoutFailed(int code, const QString &desc) {
  qDebug("OniLiveLogoutError:%d, %s, %s", code, qUtf8Printable(desc), "logout");
}

void MainForm::onKicked() {
  stopSessionTimers();
  showTips(QStringLiteral("被踢下线"), QStringLiteral("你的账号在其他地方登录,点击确认后关闭!"), this);
  leaveClass();
}

void MainForm::onConnectionLost(int reason, const QString &text) {
  stopSessionTimers();
  ShowCodeErrorTips(reason, QStringLiteral("与课堂的连接异常中断，请检查网络是否正常！"), this, text);
  notInRoom_ = true;
  leaveClass();
}

// ---------------------------------------------------------------------------------------------
// Teacher commands

void MainForm::OnReceiveMessage(QString sender, std::vector<LiveMessage> *msgs) {
  std::unique_ptr<std::vector<LiveMessage>> owned(msgs);
  if (!owned)
    return;
  std::vector<LiveMessage> plain;
  for (const LiveMessage &record : *owned) {
    if (record.type == LiveMessage::Custom)
      commands_.dispatchText(sender, record.text, record.time);
    else
      plain.push_back(record);
  }
  if (!plain.empty())
    chat_->receivePlain(roster_->memberText(sender, MemberRoster::ColName),
                        roster_->memberText(sender, MemberRoster::ColDevice), plain);
}

void MainForm::welcomeMember(const QString &name) {
  addSystemMessage(QStringLiteral("%1 %2 %3").arg(QStringLiteral("欢迎"), name, QStringLiteral("进入教室")));
}

void MainForm::queueWelcome(const QString &senderId) {
  devices_->queueOperation(QStringLiteral("EnterLive:") + senderId, kWelcomeDelayMs);
}

void MainForm::teacherLeft() {
  stopSessionTimers();
  showTips(QStringLiteral("老师退出房间"), QStringLiteral("老师已经退出房间."), this);
  leaveClass();
}

void MainForm::goOnStage() { stage_->goOnStage(); }

void MainForm::goOffStage() { stage_->goOffStage(); }

void MainForm::markMemberStage(const QString &uid, bool onStage) {
  roster_->setMemberColumn(uid, MemberRoster::ColStatus, onStage ? QStringLiteral("连麦") : QString());
  roster_->setMemberColumn(uid, MemberRoster::ColRole, onStage ? QStringLiteral("2") : QStringLiteral("0"));
}

void MainForm::markOwnRow(bool onStage) { markMemberStage(userId_, onStage); }

void MainForm::receiveChatCommand(const QString &param, uint32_t time) {
  chat_->receiveChatCommand(param, time);
}

void MainForm::displayCommand(const QString &display) {
  displayCommandSeen_ = true;
  changeDisplay(display);
}

void MainForm::applyChatPermission(ChatPermission::Action action) {
  if (action == ChatPermission::Forbid)
    chat_->closeChat();
  else if (action == ChatPermission::Allow)
    chat_->openChat();
}

void MainForm::reward(const QString &json) {
  const RewardNotice notice = RewardNotice::parse(json, userId_);
  if (!notice.valid)
    return;
  if (notice.hasPacket()) {
    auto *packet = new QtRedPacket(this);
    connect(packet, &QtRedPacket::playSound, this, &MainForm::playSound);
    packet->setAmount(notice.amount);
    packet->show();
  }
  addSystemMessage(notice.chatText());
  playSound(QStringLiteral("reward.wav"));
}

void MainForm::cameraRequested() { stage_->cameraRequested(); }

void MainForm::cameraClosedByTeacher() { stage_->cameraClosedByTeacher(); }

void MainForm::rosterNotice(const QString &json) {
  const MemberRoster::NoticeOutcome outcome = roster_->applyNotice(json);
  if (outcome.fullRefresh)
    backend_->roomUser(1);
  for (const QString &uid : outcome.fetch)
    backend_->oneRoomUser(uid);
}

void MainForm::onHand() { g_sendC2CCustomCmd(masterId_, 2054, userId_); }

void MainForm::playSound(const QString &name) { devices_->playClassSound(name); }

// ---------------------------------------------------------------------------------------------
// Devices: the slots keep their names for the shell and the settings dialog.

bool MainForm::openMic() { return devices_->openMicWithSettings(); }
void MainForm::closeMic() { devices_->closeMic(); }
bool MainForm::openCamera() { return devices_->openCamera(); }
void MainForm::closeCamera() { devices_->closeCamera(); }
void MainForm::disableCamera() { devices_->disableCamera(); }
void MainForm::reopenMic() { devices_->reopenMic(); }
void MainForm::reopenSpeaker() { devices_->reopenSpeaker(); }
void MainForm::reopenCamera() { devices_->reopenCamera(); }
void MainForm::setMic(int index, int value) { devices_->setMic(index, value); }
void MainForm::setMicVol(int index, int value) { devices_->setMicVol(index, value); }
void MainForm::setSpeaker(int index, int value) { devices_->setSpeaker(index, value); }
void MainForm::setSpeakerVol(int index, int value) { devices_->setSpeakerVol(index, value); }
void MainForm::setCamera(int camearIndex) { devices_->setCamera(camearIndex); }
void MainForm::setDisableCamera(bool disable) { devices_->setDisableCamera(disable); }
void MainForm::setHideUp(bool hide) { devices_->setHideUp(hide); }
void MainForm::OnHsMicVol(int value) { devices_->onHsMicVol(value); }
void MainForm::OnHsSpeakerVol(int value) { devices_->onHsSpeakerVol(value); }

void MainForm::micTest(int micIndex, int speakerIndex, int micVol, int speakerVol) {
  devices_->micTest(micIndex, speakerIndex, micVol, speakerVol);
}

void MainForm::speakerTest(int index, int value) { devices_->speakerTest(index, value); }
void MainForm::stopMicTest() { devices_->stopMicTest(); }
void MainForm::stopSpeakerTest() { devices_->stopSpeakerTest(); }

void MainForm::closeSetting() {
  if (settingsDialog_)
    settingsDialog_->hide();
}

QVariantMap MainForm::currentSettings() { return ShellLink::currentSettings(); }

void MainForm::reloadSettings() { ShellLink::loadSetting(); }

AudioHelper *MainForm::audioHelper() { return ShellLink::audioHelper(); }

QString MainForm::memberName(const QString &uid) const {
  return roster_->memberText(uid, MemberRoster::ColName);
}

void MainForm::addSystemMessage(const QString &text) { chat_->addSystemMessage(text); }

// The student's own tile leaves the stage strip; the strip's tile pool comes with the video
// routing and is empty until then.
void MainForm::removeOwnTile() { qDebug("own tile removed from the stage"); }

void MainForm::setNetworkGood(bool good) { ShellLink::setNetworkGood(good); }

// ---------------------------------------------------------------------------------------------
// Chat column

void MainForm::onBtnSendMessage() { chat_->send(status_, userName_); }

int MainForm::getMessageLength(QVariantMap &message) const {
  return ClassChat::messageLength(message);
}

bool MainForm::eventFilter(QObject *watched, QEvent *event) {
  if (watched == ui->textEditChat && event->type() == QEvent::KeyPress) {
    auto *key = static_cast<QKeyEvent *>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && !(key->modifiers() & Qt::ShiftModifier)) {
      onBtnSendMessage();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void MainForm::showMessageView() {
  ui->chatView->show();
  ui->tbMembers->hide();
  ui->btnTabChat->setChecked(true);
}

void MainForm::showMemberView() {
  ui->chatView->hide();
  ui->tbMembers->show();
  ui->btnTabMembers->setChecked(true);
}

// Pictures of the chat open in the image viewer, which comes with the chat page.
void MainForm::imageView(const QString &url) { qDebug("imageView:%s", qUtf8Printable(url)); }

void MainForm::onScreenshotClicked() {
  if (status_ < 2 || !chat_->chatAllowed())
    return;
  qDebug("onScreenShot");
}

void MainForm::onToggleRemoteVideo() {
  const bool show = ui->widgetRemoteVideo->isHidden();
  ui->widgetRemoteVideo->setVisible(show);
  ui->btnToggleRemoteVideo->setIcon(QIcon(show ? kArrowUp : kArrowDown));
  ui->btnToggleRemoteVideo->setToolTip(show ? QStringLiteral("收起老师视频")
                                            : QStringLiteral("展开老师视频"));
}
