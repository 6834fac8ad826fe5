#include "shell/bridgepage.h"

#include "shell/pageorigins.h"

#include <QWebChannel>
#include <QWebEngineHistory>
#include <QWebEngineScript>

BridgePage::BridgePage(QWebChannel *channel, QObject *parent) : QWebEnginePage(parent), channel_(channel) {
  connect(this, &QWebEnginePage::urlChanged, this, &BridgePage::onUrlChanged);
  // The address shown changes when the program starts a load, long before its document
  // commits; progress and the end of the load come after the commit.
  connect(this, &QWebEnginePage::loadProgress, this, &BridgePage::grantIfCommitted);
  connect(this, &QWebEnginePage::loadFinished, this, &BridgePage::grantIfCommitted);
}

bool BridgePage::acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame) {
  // The engine gives frames no transport of their own, and one of another origin cannot
  // reach its parent's.
  if (!isMainFrame) return true;
  if (!pageorigins::isService(url)) {
    withhold(url);
  } else if (granted_) {
    // A page that holds the channel keeps it.
    grant();
  } else {
    // Even the program's own load: the page on screen stays until the new document commits.
    grantOnCommit_ = true;
  }
  return true;
}

// Emitted for a page-started navigation only once its document has replaced the old one, but
// for the program's own load as soon as it starts: the committed entry decides.
void BridgePage::onUrlChanged(const QUrl &url) {
  if (!pageorigins::isService(url)) {
    withhold(url);
  } else {
    grantIfCommitted();
  }
}

void BridgePage::grantIfCommitted() {
  if (grantOnCommit_ && pageorigins::isService(history()->currentItem().url())) grant();
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
