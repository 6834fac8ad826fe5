#include "shell/bridgepage.h"

#include "shell/pageorigins.h"

#include <QWebChannel>
#include <QWebEngineScript>

BridgePage::BridgePage(QWebChannel *channel, QObject *parent) : QWebEnginePage(parent), channel_(channel) {
  connect(this, &QWebEnginePage::urlChanged, this, &BridgePage::onUrlChanged);
}

bool BridgePage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) {
  // The engine gives frames no transport of their own, and one of another origin cannot
  // reach its parent's.
  if (!isMainFrame) return true;
  if (!pageorigins::isService(url)) {
    withhold(url);
  } else if (granted_ || type == NavigationTypeTyped) {
    // The program's own loads choose service addresses; a page that holds the channel keeps it.
    grant();
  } else {
    grantOnCommit_ = true;
  }
  return true;
}

// Emitted for a page-started navigation only once its document has replaced the old one.
void BridgePage::onUrlChanged(const QUrl &url) {
  if (!pageorigins::isService(url)) {
    withhold(url);
  } else if (grantOnCommit_) {
    grant();
  }
}

void BridgePage::grant() {
  grantOnCommit_ = false;
  if (granted_) return;
  granted_ = true;
  setWebChannel(channel_, QWebEngineScript::MainWorld);
}

void BridgePage::withhold(const QUrl &url) {
  grantOnCommit_ = false;
  if (!granted_ && webChannel() == nullptr) return;
  granted_ = false;
  setWebChannel(nullptr);
  qInfo("bridge: withheld from %s", qUtf8Printable(pageorigins::of(url).isEmpty() ? url.scheme() : pageorigins::of(url)));
}
