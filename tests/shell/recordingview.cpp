#include "recordingview.h"

void RecordingView::onInvokeMethod(const QString &method, const QStringList &arguments) {
  calls << (QStringList{method} + arguments).join(QLatin1Char('|'));
  if (passOn) WebView::onInvokeMethod(method, arguments);
}
