#pragma once
// The page of a WebView. It hands the web channel only to documents of the service's own
// origins: a main-frame navigation elsewhere (a link, a redirect, a script) takes the channel
// away before the new document exists. A document without the channel cannot win it by
// starting a navigation to a service address that never replaces it (a download, an empty
// answer): it is handed over only once such a navigation has committed. The same holds for
// the program's own loads: while one is pending over a page of another origin, that page
// still has no channel.

#include <QWebEnginePage>

class QWebChannel;

class BridgePage : public QWebEnginePage {
  Q_OBJECT
public:
  BridgePage(QWebChannel *channel, QObject *parent);

  // Whether the channel is installed for the current (or the coming) document.
  bool channelGranted() const { return granted_; }

protected:
  bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

private:
  void onUrlChanged(const QUrl &url);
  // Grants a channel that waits for its commit once a service document has committed.
  void grantIfCommitted();
  void grant();
  void withhold(const QUrl &url);

  QWebChannel *channel_;
  bool granted_ = false;
  // A service address is on its way into a page that has no channel.
  bool grantOnCommit_ = false;
};
