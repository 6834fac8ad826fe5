#include "shell/webview.h"

#include "shell/bridgepage.h"
#include "shell/browserwindow.h"
#include "shell/classroomlink.h"
#include "widgets/qtmessagebox.h"
#include "shell/displayhandler.h"
#include "shell/downloadhandler.h"
#include "shell/pageorigins.h"
#include "shell/titlebar.h"
#include "shell/webbridge.h"
#include "widgets/windowdragger.h"

#include <QDebug>
#include <QDesktopServices>
#include <QFile>
#include <QUrl>
#include <QWebChannel>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

// The bridge script lives in this library's resource file, which a static library only links
// when something refers to it.
static void initShellResources() { Q_INIT_RESOURCE(shell); }

namespace {

QString readResource(const QString &path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    qWarning("WebView: cannot read %s", qUtf8Printable(path));
    return {};
  }
  return QString::fromUtf8(f.readAll());
}

// The web-channel library followed by our calling convention, built once per process.
const QString &bridgeSource() {
  initShellResources();
  static const QString source = readResource(QStringLiteral(":/qtwebchannel/qwebchannel.js")) +
                                QStringLiteral("\n") +
                                readResource(QStringLiteral(":/shell/bridge.js"));
  return source;
}

TitleBar *shellTitleBar() {
  BrowserWindow *shell = BrowserWindow::instance();
  return shell ? shell->titleBar() : nullptr;
}

} // namespace

WebView::WebView(const QString &url, QWidget *parent) : QWebEngineView(parent) {
  setAttribute(Qt::WA_DontCreateNativeAncestors, true);
  setAttribute(Qt::WA_NativeWindow, true);
  installBridge();
  downloadHandler_ = new DownloadHandler(this);
  displayHandler_ = new DisplayHandler(this);

  connect(this, &QWebEngineView::loadStarted, this, [this] {
    pageListening_ = false;
    onLoadStart();
    onLoadingStateChanged(true, history()->canGoBack(), history()->canGoForward());
  });
  connect(this, &QWebEngineView::loadFinished, this, [this](bool ok) {
    onLoadEnd(ok);
    onLoadingStateChanged(false, history()->canGoBack(), history()->canGoForward());
  });
  load(QUrl(url));
}

WebView::~WebView() = default;

void WebView::installBridge() {
  channel_ = new QWebChannel(this);
  bridge_ = new WebBridge(channel_);
  channel_->registerObject(WebBridge::channelName(), bridge_);
  // The page installs the channel only for documents of the service's origins.
  page_ = new BridgePage(channel_, this);
  setPage(page_);

  QWebEngineScript script;
  script.setName(QStringLiteral("tarnwick-bridge"));
  script.setSourceCode(bridgeSource());
  script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  script.setWorldId(QWebEngineScript::MainWorld);
  script.setRunsOnSubFrames(false);
  page()->scripts().insert(script);

  connect(bridge_, &WebBridge::invoked, this, [this](const QString &method, const QStringList &args) {
    if (callerMayUseBridge(method)) onInvokeMethod(method, args);
  });
  connect(bridge_, &WebBridge::queryRequested, this, [this](const QString &query) {
    if (callerMayUseBridge(QStringLiteral("query"))) onQueryRequest(query);
  });
  connect(bridge_, &WebBridge::urlRequested, this, [this](const QString &url) {
    if (callerMayUseBridge(QStringLiteral("requestUrl"))) onUrlRequest(url);
  });
  connect(bridge_, &WebBridge::connected, this, &WebView::flushPendingEvents);
}

// The channel is withheld from other origins; this second look catches a call that was on its
// way while the page changed.
bool WebView::callerMayUseBridge(const QString &what) const {
  if (page_->channelGranted() && pageorigins::isService(page_->url())) return true;
  qWarning("bridge: %s refused for %s", qUtf8Printable(what), qUtf8Printable(page_->url().toDisplayString()));
  return false;
}

bool WebView::callerIsSignInPage(const char *what) const {
  if (pageorigins::isSignIn(page_->url())) return true;
  qWarning("bridge: %s refused for %s: not the sign-in page's origin", what,
           qUtf8Printable(page_->url().toDisplayString()));
  return false;
}

void WebView::broadcastEvent(const QString &name, const QVariantMap &properties) {
  if (pageListening_) {
    emit bridge_->broadcast(name, properties);
    return;
  }
  // A page that never opens the channel (another origin, a failed load) must not grow this.
  if (pendingEvents_.size() >= kMaxPendingEvents) {
    qWarning("webview: %d events wait for the page; dropping %s", kMaxPendingEvents, qUtf8Printable(name));
    return;
  }
  pendingEvents_.append({name, properties});
}

void WebView::flushPendingEvents() {
  pageListening_ = true;
  const QList<QPair<QString, QVariantMap>> pending = std::move(pendingEvents_);
  pendingEvents_.clear();
  for (const auto &event : pending) emit bridge_->broadcast(event.first, event.second);
}

void WebView::onLoadingStateChanged(bool isLoading, bool, bool) {
  TitleBar *bar = shellTitleBar();
  if (!bar) return;
  if (isLoading)
    bar->loadingStart();
  else
    bar->loadingEnd();
}

void WebView::onLoadStart() {}

void WebView::onLoadEnd(bool) {}

void WebView::onUrlRequest(const QString &url) {
  QtMessageBox::information(this, QStringLiteral("QCef Url Request"),
                  QStringLiteral("Current Thread: QT_UI\r\nUrl: %1").arg(url));
}

void WebView::onQueryRequest(const QString &query) {
  // The answer itself (the text in upper case, error code 0) is returned by the bridge.
  QtMessageBox::information(this, QStringLiteral("QCef Query Request"),
                  QStringLiteral("Current Thread: QT_UI\r\nQuery: %1").arg(query));
}

// The bridge's method table: name, the number of arguments the method reads by position, and
// what it does. Names are compared case-sensitively.
const WebView::Method *WebView::findMethod(const QString &name) {
  static const Method methods[] = {
      {"enterRoom", 1, &WebView::enterRoom},
      {"replay", 1, &WebView::enterRoom},
      {"imageView", 1, &WebView::imageView},
      {"setToken", 4, &WebView::setToken},
      {"close", 0, &WebView::closeWindow},
      {"openUrl", 1, &WebView::openUrl},
      {"setUserInfo", 1, &WebView::setUserInfo},
      {"onDragAreaMouseDown", 0, &WebView::startDrag},
      {"loadPassword", 1, &WebView::loadPassword},
      {"storePassword", 2, &WebView::storePassword},
  };
  for (const Method &m : methods) {
    if (name == QLatin1String(m.name)) return &m;
  }
  return nullptr;
}

int WebView::argumentCount(const QString &method) {
  const Method *m = findMethod(method);
  return m ? m->argumentCount : -1;
}

void WebView::onInvokeMethod(const QString &method, const QStringList &args) {
  const Method *m = findMethod(method);
  if (!m) return;
  if (args.size() < m->argumentCount) {
    // Arguments are read by position; a short list is the page's fault and is dropped.
    qWarning("invokeMethod %s: needs %d arguments, the page passed %d", qUtf8Printable(method),
             m->argumentCount, int(args.size()));
    return;
  }
  (this->*(m->run))(args);
}

void WebView::enterRoom(const QStringList &args) {
  if (BrowserWindow *shell = BrowserWindow::instance()) shell->executeCommand(args.at(0));
}

void WebView::imageView(const QStringList &args) {
  ClassroomLink::current().imageView(args.at(0));
}

void WebView::setToken(const QStringList &args) {
  emit setTokenRequested(args.at(0), args.at(1), args.at(2), args.at(3));
}

void WebView::closeWindow(const QStringList &) { window()->close(); }

void WebView::openUrl(const QStringList &args) {
  const QUrl url(args.at(0));
  if (!pageorigins::isWebAddress(url)) {
    qWarning("bridge: openUrl refused: %s is not an http or https address", qUtf8Printable(args.at(0).left(200)));
    return;
  }
  QDesktopServices::openUrl(url);
}

void WebView::setUserInfo(const QStringList &args) {
  if (BrowserWindow *shell = BrowserWindow::instance()) shell->setUserInfo(args.at(0));
}

void WebView::startDrag(const QStringList &) { WindowDragger::start(window()); }

void WebView::loadPassword(const QStringList &args) {
  if (callerIsSignInPage("loadPassword")) emit loadPasswordRequested(args.at(0));
}

void WebView::storePassword(const QStringList &args) {
  if (callerIsSignInPage("storePassword")) emit storePasswordRequested(args.at(0), args.at(1));
}
