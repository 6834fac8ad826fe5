#include "shell/displayhandler.h"

#include "shell/browserwindow.h"

#include <QUrl>
#include <QWebEngineView>

DisplayHandler::DisplayHandler(QWebEngineView *view) : QObject(view) {
  connect(view, &QWebEngineView::urlChanged, this, &DisplayHandler::onAddressChange);
}

void DisplayHandler::onAddressChange(const QUrl &url) {
  if (BrowserWindow *shell = BrowserWindow::instance()) emit shell->urlChanged(url.toString());
}
