#include "shell/qtlogin.h"
#include "ui_qtlogin.h"

#include "shell/browsersetup.h"
#include "shell/browserwindow.h"
#include "shell/portaladdress.h"
#include "shell/webview.h"
#include "widgets/windowdragger.h"

#include "core/deployment.h"
#include "widgets/shadowfollower.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScreen>

QtLogin::QtLogin(QWidget *parent) : QDialog(parent), ui(new Ui::QtLogin) {
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  ui->setupUi(this);
  setObjectName(QStringLiteral("QtLogin"));
  setWindowTitle(QStringLiteral("Tarnwick"));
  const QScreen *screen = QGuiApplication::primaryScreen();
  applyScale(scaleFactor(screen ? screen->logicalDotsPerInch() : 96.0));
  setAttribute(Qt::WA_DeleteOnClose);

  BrowserSetup::apply();
  webView_ = new WebView(signInAddress(), ui->widgetWeb);
  ui->widgetWeb->layout()->addWidget(webView_);
  ui->widgetWeb->hide();
  connect(webView_, &WebView::loadPasswordRequested, this, &QtLogin::loadPassword);
  connect(webView_, &WebView::storePasswordRequested, this, &QtLogin::storePassword);
  connect(webView_, &WebView::setTokenRequested, this, &QtLogin::onSetToken);

  ui->btnClose->setImageName(QStringLiteral("pop_close"));
  connect(ui->btnClose, &QPushButton::clicked, this, &QtLogin::btnCloseClicked);

  BrowserWindow::setInstance(new BrowserWindow);
  chrome_ = new ShadowFollower(this);
}

QtLogin::~QtLogin() { delete ui; }

PopShadow *QtLogin::shadow() const { return chrome_->shadow(); }

qreal QtLogin::scaleFactor(qreal logicalDpi) {
  const qreal s = logicalDpi / 96.0;
  return s >= 1.5 ? s : 1.0;
}

QString QtLogin::signInAddress() {
  return portaladdress::signIn(Deployment::instance().portalUrl);
}

QWidget *QtLogin::webContainer() const { return ui->widgetWeb; }

// The page sits below a 30·s strip that holds the close button and is the drag area; it gets
// the rest of the window, so that nothing of it is cut off at the bottom.
void QtLogin::applyScale(qreal s) {
  const QSize size(qRound(370 * s), qRound(450 * s));
  const int strip = qRound(30 * s);
  setFixedSize(size);
  ui->widgetWeb->setGeometry(0, strip, size.width(), size.height() - strip);
  ui->widgetWeb->setFixedSize(size.width(), size.height() - strip);
  const int button = qRound(20 * s);
  ui->btnClose->setGeometry(size.width() - button - qRound(10 * s), (strip - button) / 2, button,
                            button);
}

QString QtLogin::backgroundStyle(const QString &colour) {
  static const QRegularExpression plain(QStringLiteral(
      "\\A(#[0-9A-Fa-f]{3}|#[0-9A-Fa-f]{6}|rgb\\(\\s*\\d{1,3}\\s*,\\s*\\d{1,3}\\s*,\\s*\\d{1,3}\\s*\\))\\z"));
  if (!plain.match(colour).hasMatch()) return QString();
  return QStringLiteral("background-color: ") + colour + QStringLiteral(";");
}

void QtLogin::loadPassword(const QString &colour) {
  const QString style = backgroundStyle(colour);
  if (style.isEmpty()) qWarning("login: background colour refused: %s", qUtf8Printable(colour.left(60)));
  else setStyleSheet(style);
  QString phone, password;
  if (BrowserWindow *shell = BrowserWindow::instance()) shell->loadPassword(phone, password);
  ui->widgetWeb->show();
  if (!phone.isEmpty())
    webView_->broadcastEvent(QStringLiteral("fillPassword"),
                             {{QStringLiteral("phone"), phone}, {QStringLiteral("password"), password}});
}

void QtLogin::storePassword(const QString &phone, const QString &password) {
  if (BrowserWindow *shell = BrowserWindow::instance()) shell->storePassword(phone, password);
}

void QtLogin::onSetToken(const QString &phone, const QString &token, const QString &configJson,
                         const QString &avatar) {
  BrowserWindow *shell = BrowserWindow::instance();
  if (!shell) return;
  shell->applySignIn(phone, token, configJson, avatar);
  shell->show();
  close();
}

void QtLogin::btnCloseClicked() { close(); }

void QtLogin::initWidget() { chrome_->showShadow(); }

void QtLogin::mousePressEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton) WindowDragger::start(this, event);
  event->ignore();
}
