#include "shell/titlebar.h"
#include "ui_titlebar.h"

#include "shell/browserwindow.h"
#include "shell/classroomlink.h"
#include "shell/qtmymenu.h"
#include "classroom_widgets/qtnameeditor.h"
#include "classroom_widgets/qtnameeditorview.h"
#include "shell/webview.h"
#include "widgets/windowdragger.h"

#include "core/deployment.h"
#include "net/sxbserverhelper.h"
#include "widgets/qtmessagebox.h"

#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QHash>
#include <QMouseEvent>
#include <QUrl>
#include <memory>
#include <QWebEngineHistory>

namespace {

const char *const kPortalStyle = "background-color: rgb(255, 220, 0);";
const char *const kClassStyle = "background-color: rgb(248, 248, 248);";

const char *const kTabStyle =
    "QPushButton { border: none; background: transparent; color: rgb(37, 27, 24);"
    " font: 15px \"微软雅黑\"; }"
    "QPushButton:hover { background-color: rgba(255, 255, 255, 70); }"
    "QPushButton:checked { font: 75 15px \"微软雅黑\"; border-bottom: 3px solid rgb(37, 27, 24); }";

const char *const kReturnStyle =
    "QPushButton { border: 1px solid rgb(225, 194, 0); border-radius: 14px;"
    " background-color: rgb(255, 220, 0); color: rgb(37, 27, 24); font: 75 13px \"微软雅黑\"; }"
    "QPushButton:hover { background-color: rgb(255, 230, 64); }";

const char *const kNameStyle = "color: rgb(37, 27, 24); font: 75 14px \"微软雅黑\";";

const char *const kMyNameStyle =
    "QPushButton { border: none; background: transparent; color: rgb(102, 102, 102);"
    " font: 13px \"微软雅黑\"; text-align: right; }"
    "QPushButton:hover { color: rgb(37, 27, 24); text-decoration: underline; }";

} // namespace

TitleBar::TitleBar(BrowserWindow *shell) : QWidget(shell), ui(new Ui::TitleBar), shell_(shell) {
  ui->setupUi(this);
  setAttribute(Qt::WA_StyledBackground, true);
  setFixedHeight(40);

  ui->btnBack->setImageName(QStringLiteral("back"));
  ui->btnForward->setImageName(QStringLiteral("forward"));
  ui->btnService->setImageName(QStringLiteral("service"));
  ui->btnSetting->setImageName(QStringLiteral("setting"));
  ui->btnMin->setImageName(QStringLiteral("min"));
  ui->btnMax->setImageName(QStringLiteral("max"));
  ui->btnClose->setImageName(QStringLiteral("close"));
  ui->btnBack->setEnabled(false);
  ui->btnForward->setEnabled(false);
  for (QWidget *tab : {ui->btnLive, ui->btnCourse, ui->btnShop})
    tab->setStyleSheet(QLatin1String(kTabStyle));
  ui->btnReturn->setStyleSheet(QLatin1String(kReturnStyle));
  ui->labelCourse->setStyleSheet(QLatin1String(kNameStyle));
  ui->labelLesson->setStyleSheet(QLatin1String(kNameStyle));
  ui->btnMyName->setStyleSheet(QLatin1String(kMyNameStyle));

  menu_ = new QtMyMenu(this);
  connect(menu_, &QtMyMenu::itemClicked, this, &TitleBar::menuItemClicked);
  ui->btnMy->installEventFilter(this);
  refreshTimer_.setInterval(1000);
  connect(&refreshTimer_, &QTimer::timeout, this, &TitleBar::onTimerOut);
  connectButtons();
  ui->btnLive->setChecked(true); // the portal opens on the live page
  setMode(PortalMode);
  if (!shell_->avatar().isEmpty()) setUserInfo({{QStringLiteral("avatar"), shell_->avatar()}});
  fetchSupportAddress();
}

TitleBar::~TitleBar() { delete ui; }

void TitleBar::connectButtons() {
  connect(ui->btnMax, &QPushButton::clicked, this, &TitleBar::btnMaxClicked);
  connect(ui->btnMin, &QPushButton::clicked, this, &TitleBar::btnMinClicked);
  connect(ui->btnClose, &QPushButton::clicked, this, &TitleBar::btnCloseClicked);
  connect(ui->btnSetting, &QPushButton::clicked, this, &TitleBar::btnSettingClicked);
  connect(ui->btnService, &QPushButton::clicked, this, &TitleBar::btnServiceClicked);
  connect(ui->btnLive, &QPushButton::clicked, this, &TitleBar::btnLiveClicked);
  connect(ui->btnCourse, &QPushButton::clicked, this, &TitleBar::btnCourseClicked);
  connect(ui->btnShop, &QPushButton::clicked, this, &TitleBar::btnShopClicked);
  connect(ui->btnMy, &QPushButton::clicked, this, &TitleBar::btnMyClicked);
  connect(ui->btnBack, &QPushButton::clicked, this, &TitleBar::btnBackClicked);
  connect(ui->btnForward, &QPushButton::clicked, this, &TitleBar::btnForwardClicked);
  connect(ui->btnRefresh, &QPushButton::clicked, this, &TitleBar::btnRefreshClicked);
  connect(ui->btnReturn, &QPushButton::clicked, this, &TitleBar::btnReturnClicked);
  connect(ui->btnMyName, &QPushButton::clicked, this, &TitleBar::btnMyNameClicked);
}

void TitleBar::setMode(int mode) {
  mode_ = mode;
  const bool portal = mode != ClassMode;
  ui->widgetLiveTitle->setVisible(!portal);
  ui->labelNetStatus->setVisible(!portal);
  ui->btnMyName->setVisible(!portal);
  ui->btnMy->setVisible(portal);
  ui->widgetLine->setVisible(portal);
  ui->widgetLeft->setVisible(portal);
  ui->widgetCenter->setVisible(portal);
  setStyleSheet(QLatin1String(portal ? kPortalStyle : kClassStyle));
}

void TitleBar::setCourseName(const QString &name) { ui->labelCourse->setText(name); }

void TitleBar::setLessonName(const QString &name) { ui->labelLesson->setText(name); }

void TitleBar::setMyName(const QString &name) { ui->btnMyName->setText(name); }

void TitleBar::setNetGood() {
  ui->labelNetStatus->setPixmap(QPixmap(QStringLiteral(":/res/Resources/net_green.png")));
  ui->labelNetStatus->setToolTip(QStringLiteral("网络良好"));
}

void TitleBar::setNetBad() {
  ui->labelNetStatus->setPixmap(QPixmap(QStringLiteral(":/res/Resources/net_red.png")));
  ui->labelNetStatus->setToolTip(QStringLiteral("网络糟糕"));
}

void TitleBar::setUserInfo(const QVariantMap &info) {
  const QString nameKey = QStringLiteral("name");
  const QString goldKey = QStringLiteral("gold");
  if (info.contains(nameKey)) menu_->setName(info.value(nameKey).toString());
  if (info.contains(goldKey)) menu_->setGold(info.value(goldKey).toString());
  const QString avatar = info.value(QStringLiteral("avatar")).toString();
  if (avatar.isEmpty()) return;
  QPixmap picture;
  if (!picture.loadFromData(QByteArray::fromBase64(avatar.toLatin1()))) {
    qDebug("setUserInfo: the avatar is not a picture");
    return;
  }
  ui->btnMy->setAvatar(QtMyMenu::roundPixmap(picture, ui->btnMy->size(), 50));
  menu_->setAvatar(picture);
}

void TitleBar::loadingStart() { ui->btnRefresh->startAnimation(); }

void TitleBar::loadingEnd() { ui->btnRefresh->stopAnimation(); }

void TitleBar::finishSetup() { refreshTimer_.start(); }

void TitleBar::fetchSupportAddress() {
  SxbServerHelper::request({}, QStringLiteral("live-service"),
                           QStringLiteral("customer_service_url"), &TitleBar::supportReply, this,
                           this);
}

void TitleBar::supportReply(int errorCode, const QString &, const QVariantMap &data,
                            void *userData) {
  if (errorCode != 0) return;
  static_cast<TitleBar *>(userData)->supportAddress_ =
      data.value(QStringLiteral("customer_service_url")).toString();
}

// ---------------------------------------------------------------------------------------------
// Window buttons

void TitleBar::btnMaxClicked() {
  if (shell_->isMaximized())
    shell_->showNormal();
  else
    shell_->showMaximized();
}

void TitleBar::btnMinClicked() { shell_->showMinimized(); }

void TitleBar::btnCloseClicked() { shell_->close(); }

void TitleBar::btnSettingClicked() { shell_->openSettings(); }

void TitleBar::btnServiceClicked() {
  if (supportAddress_.isEmpty()) return;
  if (QtMessageBox::question(shell_, QStringLiteral("获取技术支持"),
                             QStringLiteral("通过网页会话与技术支持取得联系")))
    QDesktopServices::openUrl(QUrl(supportAddress_));
}

void TitleBar::updateMaximizeButton() {
  const bool maximized = shell_->isMaximized();
  ui->btnMax->setImageName(maximized ? QStringLiteral("restore") : QStringLiteral("max"));
  ui->btnMax->setToolTip(maximized ? QStringLiteral("还原") : QStringLiteral("最大化"));
}

bool TitleBar::eventFilter(QObject *watched, QEvent *event) {
  if (watched == ui->btnMy && event->type() == QEvent::Leave) btnMyLeave();
  if (watched == shell_) {
    switch (event->type()) {
    case QEvent::WindowStateChange:
      updateMaximizeButton();
      shell_->setShadowVisible(!shell_->isMaximized() && !shell_->isMinimized() &&
                               shell_->isVisible());
      break;
    case QEvent::Resize:
    case QEvent::WindowTitleChange:
      updateMaximizeButton();
      break;
    default:
      break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TitleBar::mousePressEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton && !shell_->isMaximized()) WindowDragger::start(shell_, event);
  event->ignore();
}

void TitleBar::mouseDoubleClickEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton && ui->btnMax->isEnabled()) ui->btnMax->click();
}

// ---------------------------------------------------------------------------------------------
// Portal navigation

void TitleBar::navigateTab(const char *key) {
  const QString path = shell_->config().value(QLatin1String(key)).toString();
  if (!path.isEmpty()) shell_->navigatePortal(path);
  qDebug("QDir::currentPath() = %s", qUtf8Printable(QDir::currentPath()));
}

void TitleBar::btnLiveClicked() {
  ui->btnLive->setChecked(true);
  ui->btnCourse->setChecked(false);
  navigateTab("live_page_url");
}

void TitleBar::btnCourseClicked() {
  ui->btnCourse->setChecked(true);
  ui->btnLive->setChecked(false);
  navigateTab("course_page_url");
}

void TitleBar::btnShopClicked() { QDesktopServices::openUrl(QUrl(Deployment::instance().siteUrl)); }

// ---------------------------------------------------------------------------------------------
// User menu

void TitleBar::btnMyClicked() {
  if (menu_->isVisible()) {
    menu_->hide();
    return;
  }
  // Right edges aligned, just below the button.
  const QPoint below = ui->btnMy->mapToGlobal(QPoint(0, ui->btnMy->height()));
  menu_->move(below.x() + ui->btnMy->width() - menu_->width(), below.y());
  menu_->show();
  menu_->hideTimer()->stop();
}

void TitleBar::btnMyLeave() { menu_->hideTimer()->start(); }

void TitleBar::menuItemClicked(const QString &itemName) {
  if (itemName == QtMyMenu::kLogout) {
    if (QtMessageBox::question(shell_, QStringLiteral("退出登录"), QStringLiteral("是否退出登录？")))
      shell_->toLogout();
    return;
  }
  static const QHash<QString, const char *> pages{{QtMyMenu::kGold, "gold_url"},
                                                  {QtMyMenu::kMyInfo, "my_info_url"},
                                                  {QtMyMenu::kModifyPassword, "modify_password_url"}};
  const QString path = shell_->config().value(QLatin1String(pages.value(itemName, ""))).toString();
  if (!path.isEmpty()) shell_->navigatePortal(path);
}

void TitleBar::btnBackClicked() {
  if (WebView *view = shell_->browserView()) view->back();
}

void TitleBar::btnForwardClicked() {
  if (WebView *view = shell_->browserView()) view->forward();
}

void TitleBar::btnRefreshClicked() {
  if (WebView *view = shell_->browserView()) view->reload();
}

void TitleBar::onTimerOut() {
  WebView *view = shell_->browserView();
  if (!view) return;
  ui->btnBack->setEnabled(view->history()->canGoBack());
  ui->btnForward->setEnabled(view->history()->canGoForward());
  ui->btnBack->refreshImage();
  ui->btnForward->refreshImage();
}

void TitleBar::btnReturnClicked() {
  if (nameEditor_ && nameEditor_->isVisible()) nameEditor_->close();
  shell_->leaveClass(true);
}

// ---------------------------------------------------------------------------------------------
// Class name

void TitleBar::btnMyNameClicked() {
  if (!nameEditor_) createNameEditor();
  nameEditor_->setName(ClassroomLink::current().getUserName());
  nameEditor_->show();
  nameEditor_->raise();
}

void TitleBar::createNameEditor() {
  nameEditor_ = new QtNameEditor(shell_);
  QtNameEditorView *view = nameEditor_->view();
  view->setTipParent([] { return ClassroomLink::current().widget(); });
  view->setSubmit([](const QString &name, const QtNameEditorView::Reply &reply) {
    const QVariantMap params{{QStringLiteral("token"), ClassroomLink::current().getToken()},
                             {QStringLiteral("name"), name}};
    // The reply lives on the heap until the answer, which the view guards itself.
    auto *pending = new QtNameEditorView::Reply(reply);
    SxbServerHelper::request(
        params, QStringLiteral("quorvel"), QStringLiteral("edit-student-name"),
        [](int code, const QString &info, const QVariantMap &data, void *userData) {
          std::unique_ptr<QtNameEditorView::Reply> answer(static_cast<QtNameEditorView::Reply *>(userData));
          (*answer)(code, info, data);
        },
        pending);
  });
  connect(view, &QtNameEditorView::nameAccepted, this, &TitleBar::applyClassName);
}

void TitleBar::applyClassName(const QString &name) {
  setMyName(name);
  ClassroomLink::current().setUserName(name);
}
