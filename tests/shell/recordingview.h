#pragma once
// The program's browser view with the page's calls recorded ("method|arg|arg") as they reach
// the program; with passOn they then run as in the program, else they stop here.

#include "shell/webview.h"

#include <QStringList>

class RecordingView : public WebView {
public:
  using WebView::WebView;
  QStringList calls;
  bool passOn = false;

protected:
  void onInvokeMethod(const QString &method, const QStringList &arguments) override;
};
