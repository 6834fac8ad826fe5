#pragma once
// The classroom's chat page: the shell's browser view behind the classroom's ChatPage seam.

#include "classroom/classroomseam.h"
#include "shell/webview.h"

class ChatPageView : public WebView, public ChatPage {
  Q_OBJECT
public:
  ChatPageView(const QString &url, QWidget *parent) : WebView(url, parent) {}

  QWidget *widget() override { return this; }
  void broadcastEvent(const QString &name, const QVariantMap &properties) override {
    WebView::broadcastEvent(name, properties);
  }
};
