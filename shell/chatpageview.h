#pragma once
// The classroom's chat page: the shell's browser view behind the classroom's ChatPage seam.
// The page is told where the picture store lies ("store" in its address) and shows pictures
// from there only.

#include "classroom/classroomseam.h"
#include "shell/webview.h"

class ChatPageView : public WebView, public ChatPage {
  Q_OBJECT
public:
  ChatPageView(const QString &url, QWidget *parent) : WebView(addressWithStore(url), parent) {}

  // url with the query item "store" = the deployment's picture store.
  static QString addressWithStore(const QString &url);

  QWidget *widget() override { return this; }
  void broadcastEvent(const QString &name, const QVariantMap &properties) override {
    WebView::broadcastEvent(name, properties);
  }
};
