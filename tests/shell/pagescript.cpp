#include "pagescript.h"

#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

QVariant js(QWebEngineView *view, const QString &script) {
  bool done = false;
  QVariant result;
  view->page()->runJavaScript(script, [&](const QVariant &v) {
    result = v;
    done = true;
  });
  if (!QTest::qWaitFor([&] { return done; }, 10000)) qWarning("script did not answer: %s", qPrintable(script));
  return result;
}
