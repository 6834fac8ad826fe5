#include "teacher/console/consolechatpage.h"

#include "classroom_widgets/qtimageview.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace {

const char kBridgeMark[] = "tarnwick-console:";

// Reports the page's bridge calls on its console: "tarnwick-console:" and [method, args...].
const char kBridgeScript[] = R"(
window.tarnwick = { invoke: function () {
  console.log('tarnwick-console:' + JSON.stringify(Array.prototype.slice.call(arguments)));
} };
)";

class BridgedPage : public QWebEnginePage {
public:
  BridgedPage(ConsoleChatPage *view) : QWebEnginePage(view), m_view(view) {}

protected:
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &message, int, const QString &) override {
    if (!message.startsWith(QLatin1String(kBridgeMark)))
      return;
    const QJsonArray call = QJsonDocument::fromJson(message.mid(int(sizeof kBridgeMark) - 1).toUtf8()).array();
    if (call.at(0).toString() == QLatin1String("imageView"))
      m_view->imageViewRequested(call.at(1).toString());
  }

private:
  ConsoleChatPage *m_view;
};

} // namespace

ConsoleChatPage::ConsoleChatPage(const QString &pageUrl, QWidget *parent) : QWebEngineView(parent) {
  setObjectName(QStringLiteral("chatPage"));
  auto *page = new BridgedPage(this);
  QWebEngineScript bridge;
  bridge.setName(QStringLiteral("console-bridge"));
  bridge.setInjectionPoint(QWebEngineScript::DocumentCreation);
  bridge.setWorldId(QWebEngineScript::MainWorld);
  bridge.setSourceCode(QString::fromLatin1(kBridgeScript));
  page->scripts().insert(bridge);
  setPage(page);
  setContextMenuPolicy(Qt::NoContextMenu);
  connect(this, &QWebEngineView::loadFinished, this, [this](bool ok) {
    m_ready = ok;
    if (!ok)
      return;
    flush();
    emit ready();
  });
  load(QUrl(pageUrl));
}

void ConsoleChatPage::post(const QString &text, quint32 time) {
  m_waiting.append({text, time});
  if (m_ready)
    flush();
}

void ConsoleChatPage::flush() {
  for (const auto &w : qAsConst(m_waiting)) {
    const QJsonObject detail{{QStringLiteral("message"), w.first}, {QStringLiteral("time"), QString::number(w.second)}};
    const QString json = QString::fromUtf8(QJsonDocument(detail).toJson(QJsonDocument::Compact));
    page()->runJavaScript(QStringLiteral("window.dispatchEvent(new CustomEvent('sendText', {detail: %1}));").arg(json));
  }
  m_waiting.clear();
}

void ConsoleChatPage::imageViewRequested(const QString &url) {
  if (!m_viewer)
    m_viewer = new QtImageView(this);
  m_viewer->showImage(url);
}
