#pragma once
// The embedded browser view of the login window and the portal. Pages reach the program only
// through the bridge script injected here (bridge.js): a named method with an argument list,
// answered by events broadcast into the page. Only pages of the service's own origins get
// the bridge (BridgePage); the stored credentials answer only the sign-in page's origin.

#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <QWebEngineView>

class BridgePage;
class WebBridge;
class QWebChannel;
class DownloadHandler;
class DisplayHandler;

class WebView : public QWebEngineView {
  Q_OBJECT
public:
  WebView(const QString &url, QWidget *parent = nullptr);
  ~WebView() override;

  // Sends the DOM event `name` with string properties to the page and its frames. Events sent
  // before the page listens (its channel open and its start-up over) are kept (up to
  // kMaxPendingEvents) and sent then.
  void broadcastEvent(const QString &name, const QVariantMap &properties);
  static constexpr int kMaxPendingEvents = 1000;

  // Number of arguments each bridge method reads; -1 for a name the table does not know.
  static int argumentCount(const QString &method);

signals:
  // Requests meant for the window that holds the view (the login window answers them).
  void setTokenRequested(const QString &phone, const QString &token, const QString &configJson,
                         const QString &avatar);
  void loadPasswordRequested(const QString &colour);
  void storePasswordRequested(const QString &phone, const QString &password);

protected slots:
  // Browser callbacks, in the order the component reports them.
  virtual void onLoadingStateChanged(bool isLoading, bool canGoBack, bool canGoForward);
  virtual void onLoadStart();
  virtual void onLoadEnd(bool ok);
  virtual void onUrlRequest(const QString &url);
  virtual void onQueryRequest(const QString &query);
  virtual void onInvokeMethod(const QString &method, const QStringList &arguments);

private:
  struct Method {
    const char *name;
    int argumentCount;
    void (WebView::*run)(const QStringList &args);
  };
  static const Method *findMethod(const QString &name);

  void installBridge();
  bool callerMayUseBridge(const QString &what) const;
  bool callerIsSignInPage(const char *what) const;
  void enterRoom(const QStringList &args);
  void imageView(const QStringList &args);
  void setToken(const QStringList &args);
  void closeWindow(const QStringList &args);
  void openUrl(const QStringList &args);
  void setUserInfo(const QStringList &args);
  void startDrag(const QStringList &args);
  void loadPassword(const QStringList &args);
  void storePassword(const QStringList &args);

  void flushPendingEvents();

  QWebChannel *channel_ = nullptr;
  BridgePage *page_ = nullptr;
  // A new document listens only once its script has opened the channel.
  bool pageListening_ = false;
  QList<QPair<QString, QVariantMap>> pendingEvents_;
  WebBridge *bridge_ = nullptr;
  DownloadHandler *downloadHandler_ = nullptr;
  DisplayHandler *displayHandler_ = nullptr;
};
