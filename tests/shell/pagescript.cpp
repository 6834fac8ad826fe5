#include "pagescript.h"

#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>

QVariant js(QWebEngineView *view, const QString &script) {
  // Shared with the callback: an answer that comes after we gave up must not write into a
  // stack frame that is gone.
  struct Answer {
    bool done = false;
    QVariant value;
  };
  const auto answer = std::make_shared<Answer>();
  view->page()->runJavaScript(script, [answer](const QVariant &v) {
    answer->value = v;
    answer->done = true;
  });
  if (!QTest::qWaitFor([&] { return answer->done; }, 10000)) qWarning("script did not answer: %s", qPrintable(script));
  return answer->value;
}
