#include "shell/browserwindow.h"

#include "shell/audiodevices.h"
#include "shell/centralframe.h"
#include "shell/chatpageview.h"
#include "shell/classroomlink.h"
#include "shell/portaladdress.h"
#include "shell/restart.h"
#include "shell/shellsettinghost.h"
#include "shell/titlebar.h"
#include "shell/updatecheck.h"
#include "shell/updatemanifest.h"
#include "shell/webview.h"

#include "classroom_widgets/qtsetting.h"
#include "classroom_widgets/qtsettingview.h"
#include "core/deployment.h"
#include "core/jsonhelpers.h"
#include "core/log.h"
#include "core/pagecommand.h"
#include "core/processwindows.h"
#include "core/quitonsignal.h"
#include "core/settingsstore.h"
#include "core/signinconfig.h"
#include "widgets/tips.h"
#include "av/audiohelper.h"
#include "av/testsounds.h"
#include "net/sxbserverhelper.h"
#include "sdk/live/ilive.h"
#include "widgets/popshadow.h"
#include "widgets/shadowfollower.h"
#include "widgets/qtmessagebox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QNetworkProxyFactory>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {

void versionReply(int errorCode, const QString &errorInfo, const QVariantMap &data, void *userData) {
  static_cast<BrowserWindow *>(userData)->onVersionAnswer(errorCode, errorInfo, data);
}

} // namespace

BrowserWindow *BrowserWindow::instance() { return shellWindowAs<BrowserWindow>(); }

void BrowserWindow::setInstance(BrowserWindow *shell) { setShellWindow(shell); }

BrowserWindow::BrowserWindow(QWidget *parent)
    : QMainWindow(parent), version_(QStringLiteral("3.7.5")) {
  resize(1280, 720);
  if (QScreen *screen = this->screen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - rect().center());
  }
  setWindowFlags(Qt::FramelessWindowHint | Qt::Window);
  setToolButtonStyle(Qt::ToolButtonFollowStyle);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowIcon(QIcon(QStringLiteral(":/res/Resources/ico48.ico")));

  connect(this, &BrowserWindow::notifyMessage, this, &BrowserWindow::onNotifyMessage);
  connect(this, &BrowserWindow::urlChanged, this,
          [this](const QString &url) { handleWebViewUrlChanged(QUrl(url)); });

  devices_ = std::make_unique<AudioDevices>();
  store_ = new SettingsStore(devices_.get(), this);
  connectStore();

  checkVersion(false);
  chrome_ = new ShadowFollower(this, PopShadow::bigImage());
}

BrowserWindow::~BrowserWindow() {
  delete settingsDialog_; // before the host it calls
  delete store_; // before the devices it reads
  store_ = nullptr;
  if (instance() == this) setInstance(nullptr);
}

QSize BrowserWindow::sizeHint() const {
  const QScreen *s = screen();
  if (!s) return QMainWindow::sizeHint();
  const QSize size = s->size();
  return QSize(int(size.width() * 0.55), int(size.height() * 0.65));
}

// ---------------------------------------------------------------------------------------------
// Sign-in and portal

void BrowserWindow::applySignIn(const QString &phone, const QString &token,
                                const QString &configJson, const QString &avatar) {
  qDebug("configJson:%s", qUtf8Printable(configJson));
  SignInConfig::parse(configJson, &config_);
  phone_ = phone;
  token_ = token;
  avatar_ = avatar;

  buildBody();
  browserView_ = new WebView(portalAddress(), centralFrame_);
  bodyLayout_->addWidget(browserView_);

  setWindowTitle(QStringLiteral("%1-%2.%3%4")
                     .arg(QStringLiteral("Tarnwick"), version_, QString::number(5), QString::number(10208)));
  QNetworkProxyFactory::setUseSystemConfiguration(true);
  titleBar_->finishSetup();
}

void BrowserWindow::buildBody() {
  centralFrame_ = new CentralFrame(this);
  setCentralWidget(centralFrame_);
  titleBar_ = new TitleBar(this);
  installEventFilter(titleBar_);
  mainLayout_ = new QVBoxLayout(centralFrame_);
  mainLayout_->setSpacing(0);
  mainLayout_->setContentsMargins(0, 0, 0, 0);
  bodyLayout_ = new QVBoxLayout;
  bodyLayout_->setSpacing(0);
  bodyLayout_->setContentsMargins(0, 0, 0, 0);
  mainLayout_->addWidget(titleBar_);
  mainLayout_->addLayout(bodyLayout_, 1);
}

QString BrowserWindow::portalAddress() const {
  return portaladdress::checkToken({Deployment::instance().portalUrl, phone_, token_, socketPort_,
                                    SignInConfig::version(config_)});
}

void BrowserWindow::navigatePortal(const QString &path) {
  if (path.startsWith(QLatin1String("http"))) {
    QDesktopServices::openUrl(QUrl(portaladdress::external(path)));
    return;
  }
  if (!browserView_) return;
  browserView_->load(QUrl(portaladdress::page(Deployment::instance().portalUrl, path)));
}

void BrowserWindow::setUserInfo(const QString &json) {
  if (titleBar_) titleBar_->setUserInfo(jsonToMap(json));
}

void BrowserWindow::setMyName(const QString &name) {
  if (titleBar_) titleBar_->setMyName(name);
}

void BrowserWindow::openSettings() {
  if (!settingsDialog_) {
    // Re-read the file and the devices: the dialog shows what is stored and plugged in now.
    resetStore();
    loadSetting();
    if (!settingHost_) settingHost_ = std::make_unique<ShellSettingHost>(this);
    auto *dialog = new QtSetting(settingHost_.get(), this);
    connect(this, &BrowserWindow::versionCheck, dialog->view(), &QtSettingView::versionCheck);
    connect(this, &BrowserWindow::versionCheckFailed, dialog->view(), &QtSettingView::versionCheckFailed);
    settingsDialog_ = dialog;
  }
  settingsDialog_->show();
  settingsDialog_->raise();
}

void BrowserWindow::closeSettings() {
  if (settingsDialog_) settingsDialog_->hide();
}

// ---------------------------------------------------------------------------------------------
// Page commands and classes

void BrowserWindow::executeCommand(const QString &json) {
  qDebug("executeCommand:%s", qUtf8Printable(json));
  PageCommand command;
  if (!PageCommand::parse(json, &command)) return;
  qDebug("action=%d", command.action);
  if (command.data.contains(QStringLiteral("id")))
    qDebug("datamap.id=%s", qUtf8Printable(command.data.value(QStringLiteral("id")).toString()));
  switch (command.action) {
  case PageCommand::EnterClass:
    enterClass(command.data);
    break;
  default:
    break;
  }
}

void BrowserWindow::enterClass(const QVariantMap &data) {
  QDir::setCurrent(QCoreApplication::applicationDirPath());
  // A page may ask before sign-in built the window's body: nothing to enter into yet.
  if (!bodyLayout_ || !titleBar_) {
    qWarning("enterClass refused: the shell is not signed in");
    return;
  }
  if (!enterGuardsPass()) return;
  if (!classroom_) {
    if (QWidget *previous = ClassroomLink::current().widget()) delete previous;
    ClassroomLink::setCurrent(nullptr);
    QString lineType = data.value(QStringLiteral("lineType")).toString();
    if (lineType.isEmpty()) lineType = QStringLiteral("normal");
    if (!acceptLineType(lineType)) return;
    openClassroom(data, lineType);
    if (!classroom_) return;
  }
  classroom_->show();
  classroomLink().onBtnLogin();
  titleBar_->setMode(TitleBar::ClassMode);
  titleBar_->setNetGood();
  titleBar_->setCourseName(data.value(QStringLiteral("courseName")).toString());
  titleBar_->setLessonName(data.value(QStringLiteral("lessonName")).toString());
}

bool BrowserWindow::enterGuardsPass() {
  if (std::time(nullptr) - lastQuitTime_ < 2) {
    showTips(QStringLiteral("进入教室"),
             QStringLiteral("系统正在进行一些清理以提高运行速度，请稍后再进入教室"), this);
    return false;
  }
  QWidget *previous = ClassroomLink::current().widget();
  if (previous && previous != classroom_ && !classroomReleased_) {
    showTips(QStringLiteral("进入教室"),
             QStringLiteral("系统超时未响应，请检查网络连接是否正常，或者重新启动客户端。"), this);
    return false;
  }
  return true;
}

// The live SDK serves one line type per process; another one needs a fresh process.
bool BrowserWindow::acceptLineType(const QString &lineType) {
  if (lineType_.isEmpty()) {
    initLiveSdk(lineType);
    return true;
  }
  if (lineType_ == lineType) return true;
  if (QtMessageBox::question(this, QStringLiteral("教室切换"),
                             QStringLiteral("需要重新启动客户端以切换教室类型，是否立刻切换？"))) {
    Restart::startClient();
    QCoreApplication::exit(0);
  }
  return false;
}

void BrowserWindow::initLiveSdk(const QString &lineType) {
  if (lineType == QLatin1String("bgp")) GetILive()->setChannelMode(1, "");
  lineType_ = lineType;
  const Deployment &d = Deployment::instance();
  GetILive()->setHubAddress(d.hubUrl.toUtf8().constData());
  GetILive()->setImAddress(d.imAddress().toUtf8().constData());
  GetILive()->setMediaAddress(d.mediaAddress().toUtf8().constData());
  const int result = GetILive()->init(uint32_t(d.sdkAppId), uint32_t(d.sdkAccountType), true);
  sdkInitialised_ = true;
  if (result != 0) ShowCodeErrorTips(QStringLiteral("系统初始化失败"), this);
}

void BrowserWindow::openClassroom(const QVariantMap &data, const QString &lineType) {
  Classroom *room = ClassroomLink::create(lineType, centralFrame_, this);
  if (!room) return;
  if (browserView_) browserView_->hide();
  const ClassroomLink link(room);
  link.setToken(data.value(QStringLiteral("token")).toString());
  link.setRoomId(data.value(QStringLiteral("roomId")).toInt());
  link.setMasterId(data.value(QStringLiteral("masterId")).toString());
  classroom_ = room->widget();
  room_ = room;
  classroomReleased_ = false;
  ClassroomLink::setCurrent(room);
  QPointer<QWidget> window = classroom_;
  room->onReleaseFinished(this, [this, window] { onClassroomReleased(window); });
  bodyLayout_->addWidget(classroom_);
}

void BrowserWindow::onClassroomReleased(QWidget *window) {
  classroomReleased_ = true;
  if (window && window == classroom_) forgetClassroom();
}

ClassroomLink BrowserWindow::classroomLink() const {
  return classroom_ ? ClassroomLink(room_) : ClassroomLink();
}

int BrowserWindow::leaveClass(bool ask) {
  if (!classroom_) {
    if (browserView_) browserView_->back();
    return 0;
  }
  const ClassroomLink link = classroomLink();
  if (!link.isReadyToLeave() && ask) return -1;
  if (link.status() > 1 && ask) {
    if (!QtMessageBox::question(this, QStringLiteral("确认"), QStringLiteral("是否离开教室？")))
      return -1;
  }
  // The question ran an event loop: the class may have ended or moved on meanwhile.
  if (!classroom_ || (ask && !link.isReadyToLeave()) || link.isLeaving()) return -1;

  lastQuitTime_ = std::time(nullptr);
  QWidget *room = classroom_;
  room->hide();
  room->close();
  if (browserView_) browserView_->show();
  if (titleBar_) {
    titleBar_->setCourseName(QString());
    titleBar_->setLessonName(QString());
    titleBar_->setMode(TitleBar::PortalMode);
  }
  forgetClassroom();
  return 0;
}

void BrowserWindow::forgetClassroom() {
  classroom_ = nullptr;
  room_ = nullptr;
}

void BrowserWindow::onQuitMainFormReleased() {
  forgetClassroom();
  close();
}

void BrowserWindow::closeEvent(QCloseEvent *event) {
  if (classroom_) {
    // A stop from the session cannot wait for an answer: the class is then left unasked.
    const bool ask = !stopRequested();
    QPointer<QWidget> room = classroom_;
    quitOnRelease_ = room_->onReleaseFinished(this, [this] { onQuitMainFormReleased(); });
    if (leaveClass(ask) == -1 && ask && room && room == classroom_) disconnect(quitOnRelease_);
    event->ignore();
    return;
  }
  GetILive()->release(nullptr, nullptr, nullptr);
  store_->flush();
  qDebug("shell: closed, live SDK released, settings written");
  closeLog();
  event->accept();
}

// ---------------------------------------------------------------------------------------------
// Small page services

void BrowserWindow::test(const QString &phone) { qDebug("%s", qUtf8Printable(phone)); }

void BrowserWindow::sendAuthCode(const QString &phone) {
  SxbServerHelper::request({{QStringLiteral("phone"), phone}}, QStringLiteral("login"),
                           QStringLiteral("auth-code"));
}

void BrowserWindow::toRegist() { QDesktopServices::openUrl(QUrl(Deployment::instance().siteUrl)); }

void BrowserWindow::toLogout() {
  Restart::startClient();
  close();
}

void BrowserWindow::onNotifyMessage(const QString &title, const QString &message) {
  showTips(title, message, this);
}

void BrowserWindow::handleWebViewTitleChanged(const QString &title) { setWindowTitle(title); }

void BrowserWindow::handleWebViewUrlChanged(const QUrl &url) {
  qDebug("portal address: %s", qUtf8Printable(url.toString()));
}

void BrowserWindow::onTimer() {}

// ---------------------------------------------------------------------------------------------
// Update check

void BrowserWindow::checkVersion(bool online) {
  SxbServerHelper::request({{QStringLiteral("online"), online ? QStringLiteral("1")
                                                              : QStringLiteral("0")}},
                           QStringLiteral("live-service"), QStringLiteral("version"),
                           &versionReply, this, this);
}

void BrowserWindow::onVersionAnswer(int errorCode, const QString &errorInfo, const QVariantMap &data) {
  using UpdateCheck::Outcome;
  const Outcome outcome = UpdateCheck::evaluate(errorCode, data, version_);
  if (outcome.kind == Outcome::Ignore) {
    emit versionCheckFailed(errorCode != 0 && !errorInfo.isEmpty() ? errorInfo : QStringLiteral("服务器未返回版本信息"));
    return;
  }
  emit versionCheck(outcome.kind == Outcome::UpToDate, outcome.version);
  if (outcome.kind == Outcome::UpToDate) return;
  // Only what the operator signed reaches the upgrade program; an unsigned "force" is no reason to quit.
  UpdateManifest::Manifest manifest;
  const Deployment &deployment = Deployment::instance();
  const QString refused = UpdateManifest::check(data, deployment.updateKey, deployment.backendUrl, &manifest);
  if (!refused.isEmpty()) {
    qWarning("update to %s refused: %s", qUtf8Printable(outcome.version), qUtf8Printable(refused));
    ShowCodeErrorTips(QStringLiteral("检查到新版本，但已拒绝升级：%1").arg(refused), this);
    return;
  }
  offerUpgrade(outcome.kind == Outcome::Forced, manifest.url, manifest.sha256);
}

void BrowserWindow::offerUpgrade(bool forced, const QString &url, const QString &sha256) {
  if (forced) {
    if (QtMessageBox::question(
            this, QStringLiteral("检查更新"),
            QStringLiteral("检查到新版本的客户端，需要升级后才能继续操作，是否现在升级？")))
      startUpgrade(url, sha256);
    QCoreApplication::exit(0);
  } else if (QtMessageBox::question(this, QStringLiteral("检查更新"),
                                    QStringLiteral("检查到新版本的客户端，是否现在升级？"))) {
    startUpgrade(url, sha256);
    QCoreApplication::exit(0);
  }
}

void BrowserWindow::startUpgrade(const QString &url, const QString &sha256) { Restart::startUpgrade(url, sha256); }

// ---------------------------------------------------------------------------------------------
// Shadow

void BrowserWindow::initWidget() {
  if (!isMaximized()) chrome_->showShadow();
}

void BrowserWindow::setShadowVisible(bool visible) { chrome_->setShadowVisible(visible); }

PopShadow *BrowserWindow::shadow() const { return chrome_->shadow(); }

// ---------------------------------------------------------------------------------------------
// Local settings: the store does the work; the open classroom hears of every change.

void BrowserWindow::connectStore() {
  auto device = [this](void (Classroom::*setter)(int, int)) {
    return [this, setter](int index, int value) { classroomLink().setDevice(setter, index, value); };
  };
  auto flag = [this](void (Classroom::*setter)(bool)) {
    return [this, setter](bool on) { classroomLink().setFlag(setter, on); };
  };
  connect(store_, &SettingsStore::micChanged, this, device(&Classroom::setMic));
  connect(store_, &SettingsStore::micVolChanged, this, device(&Classroom::setMicVol));
  connect(store_, &SettingsStore::speakerChanged, this, device(&Classroom::setSpeaker));
  connect(store_, &SettingsStore::speakerVolChanged, this, device(&Classroom::setSpeakerVol));
  connect(store_, &SettingsStore::cameraChanged, this,
          [this](int index) { classroomLink().setCamera(index); });
  connect(store_, &SettingsStore::disableCameraChanged, this, flag(&Classroom::setDisableCamera));
  connect(store_, &SettingsStore::hideUpChanged, this, flag(&Classroom::setHideUp));
}

AudioHelper *BrowserWindow::audioHelper() const { return devices_->helper(); }

ChatPage *BrowserWindow::createChatPage(const QString &url, QWidget *parent) {
  return new ChatPageView(url, parent);
}

void BrowserWindow::setNetGood() { titleBar_->setNetGood(); }

void BrowserWindow::setNetBad() { titleBar_->setNetBad(); }

void BrowserWindow::loadPassword(QString &phone, QString &password) {
  store_->loadPassword(phone, password);
}

void BrowserWindow::storePassword(const QString &phone, const QString &password) {
  store_->storePassword(phone, password);
}

void BrowserWindow::loadSetting() { store_->loadSetting(); }

void BrowserWindow::resetStore() { store_->resetStore(); }

QVariantMap BrowserWindow::currentSettings() const { return store_->currentSettings(); }

DeviceSettings BrowserWindow::deviceSettings() const { return store_->deviceSettings(); }

void BrowserWindow::setMic(int micIndex, int value) { store_->setMic(micIndex, value); }

void BrowserWindow::setSpeaker(int speakerIndex, int value) {
  store_->setSpeaker(speakerIndex, value);
}

void BrowserWindow::setMicVol(int micIndex, int value) { store_->setMicVol(micIndex, value); }

void BrowserWindow::setSpeakerVol(int speakerIndex, int value) {
  store_->setSpeakerVol(speakerIndex, value);
}

void BrowserWindow::setCamera(int cameraIndex) { store_->setCamera(cameraIndex); }

void BrowserWindow::setDisableCamera(bool disable) { store_->setDisableCamera(disable); }

void BrowserWindow::setHideUp(bool hide) { store_->setHideUp(hide); }

void BrowserWindow::micTest(int micIndex, int speakerIndex, int micVol, int speakerVol) {
  TestSounds(audioHelper()).micTest(micIndex, speakerIndex, micVol, speakerVol);
}

void BrowserWindow::speakerTest(int index, int speakerVol) {
  TestSounds(audioHelper()).speakerTest(index, speakerVol);
}

void BrowserWindow::stopMicTest() { TestSounds(audioHelper()).stopMicTest(); }

void BrowserWindow::stopSpeakerTest() { TestSounds(audioHelper()).stopSpeakerTest(); }
