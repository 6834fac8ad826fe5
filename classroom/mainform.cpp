#include "classroom/mainform.h"
#include "ui_mainform.h"

#include "av/qtwidgetup.h"
#include "av/qwidgetvideorender.h"
#include "av/qwidgetvideorendercontainer.h"
#include "av/stagevideoviews.h"
#include "av/videotilepool.h"
#include "classroom/chatpictureupload.h"
#include "classroom/classchat.h"
#include "classroom/classvideo.h"
#include "core/settingskeys.h"
#include "classroom/livecalls.h"
#include "classroom/memberroster.h"
#include "classroom/membertable.h"
#include "classroom/toolbarcontrols.h"
#include "classroom/classcredentials.h"
#include "classroom_widgets/emojipanel.h"
#include "classroom_widgets/qtimageview.h"
#include "classroom_widgets/qtlivetoolbar.h"
#include "classroom_widgets/qtmessagetab.h"
#include "classroom_widgets/qtmessagetoolbar.h"
#include "classroom_widgets/qtredpacket.h"
#include "classroom_widgets/qtsuperbutton.h"
#include "classroom_widgets/reconnectbanner.h"
#include "classroom_widgets/textedit.h"
#include "core/deployment.h"
#include "widgets/tips.h"
#include "messaging/classsend.h"
#include "messaging/messagehook.h"
#include "screenshot/oescreenshot.h"
#include "widgets/qxtglobalshortcut.h"
#include "messaging/messagesink.h"
#include "whiteboard/qwindowwhiteboard.h"
#include "widgets/qtmessagebox.h"

#include <QCloseEvent>
#include <QDebug>
#include <QIcon>
#include <QStandardItemModel>
#include <QTextDocument>

namespace {

const QString kArrowUp = QStringLiteral(":/res/Resources/arrow_up_32x32.png");
const QString kArrowDown = QStringLiteral(":/res/Resources/arrow_down_32x32.png");
constexpr int kChatColumnWidth = 250;
constexpr int kEmojiPanelHeight = 200;

// The window that receives IM messages now. A window being destroyed unregisters the hook only
// when it is still its own, so that it never cuts off a newer classroom.
QObject *g_hookWindow = nullptr;

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction

MainForm::MainForm(const QString &lineType, QWidget *parent, ClassroomShell *shell)
    : QWidget(parent), ui(new Ui::MainForm), session_(new ClassSession(lineType, shell, this)),
      shell_(shell) {
  buildWidgets();
  buildChat(shell);
  controls_ = std::make_unique<ToolBarControls>(toolBar());
  session_->attach(chat_, controls_.get());
  MemberTable::attach(ui->tbMembers, session_->roster());
  buildVideo();
  connectSignals();
  followSession();
  installMessageHook();
  session_->start();
}

MainForm::~MainForm() {
  // No live SDK callback may reach the session once its widgets start to go.
  liveCalls()->revoke();
  // The video unhooks itself from the session's live calls, so it goes while they exist.
  delete video_;
  video_ = nullptr;
  if (g_hookWindow == this) {
    MessageHook::uninstall();
    g_hookWindow = nullptr;
  }
  // Deliveries still queued for this window never reach its slot.
  MessageSink::dropPending(this);
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
  ui->widgetRemoteTitle->hide();
  ui->widgetRemoteVideo->hide();
  reconnectBanner_ = new ReconnectBanner(this);
}

void MainForm::buildChat(ClassroomShell *shell) {
  const QString url = Deployment::instance().staticUrl + QStringLiteral("/live/chat_v5.html");
  ChatPage *page = shell ? shell->createChatPage(url, ui->widgetChatPage) : nullptr;
  if (page) {
    page->widget()->setFixedWidth(kChatColumnWidth);
    ui->layoutChatPage->addWidget(page->widget());
  }
  emojiPanel_ = new EmojiPanel(ui->widgetChat);
  emojiPanel_->setFixedSize(kChatColumnWidth, kEmojiPanelHeight);
  emojiPanel_->hide();
  ui->layoutChat->insertWidget(ui->layoutChat->indexOf(ui->widgetChatToolBar), emojiPanel_);
  ui->btnSend->setImageName(QStringLiteral("gray_button2"));
  chat_ = new ClassChat(page, ui->textEditChat, ui->btnSend, ui->widgetChatToolBar, emojiPanel_, this);
}

// Connected before the hook is installed, so that no delivery finds the signal unconnected.
void MainForm::installMessageHook() {
  if (g_hookWindow && g_hookWindow != this)
    qWarning("a newer classroom window takes over the IM messages");
  MessageHook::install(this);
  g_hookWindow = this;
}

void MainForm::connectSignals() {
  connect(session_, &ClassSession::memberChanged, this, &MainForm::memberChanged);
  connect(this, &MainForm::memberChanged, this, &MainForm::OnMemberChanged);
  registerLiveMessageType();
  connect(this, &MainForm::receiveMessage, this, &MainForm::OnReceiveMessage);
  connect(ui->btnToggleRemoteVideo, &QPushButton::clicked, this, &MainForm::onToggleRemoteVideo);
  connect(ui->btnSend, &QPushButton::clicked, this, &MainForm::onBtnSendMessage);
  connect(ui->textEditChat, &TextEdit::keyEnter, this, &MainForm::onBtnSendMessage);
  connect(ui->textEditChat, &TextEdit::clicked, this, &MainForm::onTextEditClicked);
  connect(ui->widgetChatTabs, &QtMessageTab::messageViewRequested, this, &MainForm::showMessageView);
  connect(ui->widgetChatTabs, &QtMessageTab::memberViewRequested, this, &MainForm::showMemberView);
  connect(ui->widgetChatToolBar, &QtMessageToolBar::emojiRequested, this, &MainForm::onEmoji);
  connect(ui->widgetChatToolBar, &QtMessageToolBar::screenShotRequested, this, &MainForm::onScreenshotClicked);
  connect(emojiPanel_, &EmojiPanel::faceClicked, this, &MainForm::onEmojiClicked);
  connectToolBar();
  connectPictureUpload();
}

void MainForm::connectPictureUpload() {
  ChatPictureUpload *upload = session_->pictureUpload();
  connect(upload, &ChatPictureUpload::pictureMessageReady, this,
          [](const QString &json) { g_sendGroupCustomCmd(ClassCommandCode::Chat, json); });
  connect(upload, &ChatPictureUpload::showMessageMap, chat_, &ClassChat::showMessageMap);
  screenshotKey_ = new QxtGlobalShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+A")), this);
  connect(screenshotKey_, &QxtGlobalShortcut::activated, this, &MainForm::onScreenshotClicked);
}

void MainForm::followSession() {
  connect(session_, &ClassSession::teacherPresentShown, this, &MainForm::showTeacherPresent);
  connect(session_, &ClassSession::waitingShown, this, &MainForm::showWaitingForTeacher);
  connect(session_, &ClassSession::whiteboardStartRequested, this, &MainForm::startWhiteboard);
  connect(session_, &ClassSession::displayChanged, this, &MainForm::showDisplay);
  connect(session_, &ClassSession::codeErrorShown, this, &MainForm::showCodeError);
  connect(session_, &ClassSession::tipShown, this, &MainForm::showTip);
  connect(session_, &ClassSession::rewardShown, this, &MainForm::showRedPacket);
  connect(session_, &ClassSession::reconnectingShown, reconnectBanner_, &ReconnectBanner::setReconnecting);
  connect(session_, &ClassSession::leaveRequested, this, [this] {
    hide();
    close();
  });
  connect(session_, &ClassSession::closeWanted, this, &QWidget::close);
  connect(session_, &ClassSession::releaseFinished, this, &MainForm::closeClassWindows);
  connect(session_, &ClassSession::releaseFinished, this, &MainForm::releaseFinished);
}

void MainForm::connectToolBar() {
  QtLiveToolBar *bar = toolBar();
  ClassDevices *d = devices();
  connect(bar, &QtLiveToolBar::micOnRequested, d, &ClassDevices::openMicWithSettings);
  connect(bar, &QtLiveToolBar::micOffRequested, d, &ClassDevices::closeMic);
  connect(bar, &QtLiveToolBar::speakerOnRequested, d, &ClassDevices::openSpeakerWithSettings);
  connect(bar, &QtLiveToolBar::speakerOffRequested, d, &ClassDevices::closeSpeaker);
  connect(bar, &QtLiveToolBar::micVolumeRequested, this, &MainForm::OnHsMicVol);
  connect(bar, &QtLiveToolBar::speakerVolumeRequested, this, &MainForm::OnHsSpeakerVol);
  connect(bar->superButton(), &QtSuperButton::handRaised, this, &MainForm::onHand);
}

QtLiveToolBar *MainForm::toolBar() const { return ui->widgetToolBar; }

// The large view takes the teacher video area, the screen view the teacher-screen area; the
// tiles are the window's and go on the strip "widgetUp".
void MainForm::buildVideo() {
  largeView_ = new QWidgetVideoRender(ui->widgetRemoteVideo);
  ui->layoutRemoteVideo->addWidget(largeView_);
  ui->labelRemoteVideo->hide();
  screenView_ = new QWidgetVideoRender(ui->layoutScreenShare);
  ui->layoutScreenShareBox->addWidget(screenView_);
  ui->labelScreenHint->hide();
  VideoTilePool &pool = VideoTilePool::instance(true, this);
  pool.setStage(ui->widgetUp);
  auto views = std::make_unique<StageVideoViews>(largeView_, screenView_, ui->widgetUp,
                                                 [this](bool shown) { showLargeFrame(shown); });
  video_ = new ClassVideo(session_, std::move(views), pool, this);
  connect(video_, &ClassVideo::stageEmptied, ui->widgetUp, &QWidget::hide);
  connect(session_, &ClassSession::memberChanged, this, &MainForm::relabelTiles);
  video_->setHideUp(session_->currentSettings().value(settingskeys::kHideUp).toInt() == 1);
}

// A classmate may come on stage before the roster knows the name; the tile takes it later.
void MainForm::relabelTiles() {
  for (const QString &uid : roster()->memberIds()) {
    QWidgetVideoRenderContainer *tile = VideoTilePool::instance().tile(uid);
    const QString name = roster()->memberText(uid, MemberRoster::ColName);
    if (tile && !name.isEmpty() && tile->render()->name() != name)
      tile->render()->setName(name);
  }
}

void MainForm::showLargeFrame(bool shown) {
  ui->widgetRemoteTitle->setVisible(shown);
  ui->widgetRemoteVideo->setVisible(shown);
  if (shown)
    ui->btnToggleRemoteVideo->setIcon(QIcon(kArrowUp));
}

void MainForm::setHideUp(bool hide) {
  devices()->setHideUp(hide);
  video_->setHideUp(hide);
  if (hide)
    ui->widgetUp->hide();
}

QMetaObject::Connection MainForm::onReleaseFinished(QObject *context, std::function<void()> slot) {
  return connect(this, &MainForm::releaseFinished, context, std::move(slot));
}

bool MainForm::isReadyToLeave() const {
  if (whiteboard_ && !whiteboardReady_)
    return false;
  return session_->readyToLeave();
}

// ---------------------------------------------------------------------------------------------
// Following the session

void MainForm::showTeacherPresent() {
  ui->widgetWaiting->hide();
  ui->widgetWhiteBoard->hide();
  ui->layoutScreenShare->show();
  setEnabled(true);
}

void MainForm::showWaitingForTeacher() {
  ui->widgetWaiting->show();
  ui->layoutScreenShare->hide();
  ui->widgetWhiteBoard->hide();
}

void MainForm::showDisplay(const QString &display) {
  const bool screen = display == QLatin1String("Screen");
  ui->layoutScreenShare->setVisible(screen);
  ui->widgetWhiteBoard->setVisible(!screen);
}

void MainForm::showCodeError(int code, const QString &text, const QString &detail) {
  // Over the window the class sits in: an error that ends the class stays after the classroom goes.
  ShowCodeErrorTips(code, text, window(), detail);
}

// Over the window the class sits in (the shell's, when embedded): a tip that comes with leaving
// the class must outlive the classroom.
void MainForm::showTip(const QString &title, const QString &text) { showTips(title, text, window()); }

void MainForm::showRedPacket(int amount) {
  auto *packet = new QtRedPacket(this);
  connect(packet, &QtRedPacket::playSound, this, &MainForm::playSound);
  packet->setAmount(amount);
  packet->show();
}

// The student only watches the teacher's board: no group to send to, no tools.
void MainForm::startWhiteboard() {
  if (whiteboard_)
    return;
  BoardClassData data = BoardClassData::fromDeployment();
  const ClassCredentials &c = ClassCredentials::instance();
  data.userId = c.userId();
  data.userSig = c.userSig();
  data.appId = c.appId();
  data.accountType = c.accountType();
  data.roomId = c.roomId();
  auto *board = new QWindowWhiteBoard(ui->widgetWhiteBoard, data);
  board->setInteractive(false);
  ui->widgetWhiteBoard->layout()->addWidget(board);
  connect(board, &QWindowWhiteBoard::started, this, [this] { whiteboardReady_ = true; });
  board->show();
  whiteboard_ = board;
}

void MainForm::closeClassWindows() {
  if (whiteboard_) {
    whiteboard_->close();
    delete whiteboard_;
  }
  // The picture viewer is a window of its own: it must not stay over the portal.
  if (imageView_)
    imageView_->hide();
}

void MainForm::OnMemberChanged() {
  if (isLeaving())
    return;
  ui->tbMembers->viewport()->update();
  emit roster()->model()->layoutChanged();
  roster()->sortMembers();
}

// ---------------------------------------------------------------------------------------------
// Leaving

void MainForm::onExitClass() {
  if (!QtMessageBox::question(this, QStringLiteral("确认"), QStringLiteral("确认要离开教室吗？")))
    return;
  session_->exitClass();
}

void MainForm::closeEvent(QCloseEvent *event) {
  if (session_->closeRequested())
    event->accept();
  else
    event->ignore();
}

void MainForm::OnReceiveMessage(QString sender, std::vector<LiveMessage> *msgs) {
  session_->receiveMessages(sender, MessageSink::take(msgs));
}

// ---------------------------------------------------------------------------------------------
// Settings dialog and chat column

void MainForm::closeSetting() {
  if (shell_) shell_->closeSettings();
}

void MainForm::onBtnSendMessage() { chat_->send(status(), getUserName()); }

int MainForm::getMessageLength(QVariantMap &message) const {
  return ClassChat::messageLength(message);
}

void MainForm::onEmoji() {
  if (status() < int(ClassStatus::Listening) || !chat_->chatAllowed())
    return;
  emojiPanel_->setVisible(emojiPanel_->isHidden());
}

void MainForm::onEmojiClicked(int &faceIndex) {
  ui->textEditChat->insertEmoji(faceIndex);
  emojiPanel_->hide();
  ui->textEditChat->show();
  ui->textEditChat->setFocus();
}

void MainForm::onTextEditClicked() { emojiPanel_->hide(); }

void MainForm::showMessageView() {
  ui->widgetChatPage->show();
  ui->tbMembers->hide();
}

void MainForm::showMemberView() {
  ui->widgetChatPage->hide();
  ui->tbMembers->show();
}

void MainForm::imageView(const QString &url) {
  if (!imageView_)
    imageView_ = new QtImageView(this);
  imageView_->showImage(url);
}

void MainForm::onScreenshotClicked() {
  if (status() < int(ClassStatus::Listening) || !chat_->chatAllowed())
    return;
  qDebug("onScreenShot");
  if (!screenshot_)
    screenshot_ = new OEScreenshot(this); // deletes itself when done
}

void MainForm::uploadPicture(QByteArray fileContent) {
  session_->pictureUpload()->uploadPicture(fileContent);
}

void MainForm::onToggleRemoteVideo() {
  const bool show = ui->widgetRemoteVideo->isHidden();
  ui->widgetRemoteVideo->setVisible(show);
  ui->btnToggleRemoteVideo->setIcon(QIcon(show ? kArrowUp : kArrowDown));
  ui->btnToggleRemoteVideo->setToolTip(show ? QStringLiteral("收起老师视频")
                                            : QStringLiteral("展开老师视频"));
}
