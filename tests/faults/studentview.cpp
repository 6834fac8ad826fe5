#include "studentview.h"

#include "boxdriver.h"
#include "pagescript.h"

#include "classroom/mainform.h"
#include "shell/webview.h"
#include "support/boardpixels.h"
#include "whiteboard/qwindowwhiteboard.h"

#include <QAbstractButton>
#include <QTest>
#include <QTextEdit>
#include <algorithm>

namespace faults {

namespace {
// A classmate's account, only to read the portal's class list.
const QString kWatcherPhone = QStringLiteral("13800000002");
const QString kWatcherPassword = QStringLiteral("tarnwick02");

} // namespace

QJsonArray strokeAcrossTheBoard() { return {QJsonArray{200, 450}, QJsonArray{800, 450}, QJsonArray{1400, 450}}; }

QStringList chatRows(MainForm *w) {
  const QVariant rows = js(w->findChild<WebView *>(),
                           QStringLiteral("Array.from(document.querySelectorAll('#messages > li .body'))"
                                          ".map(function (e) { return e.textContent; })"));
  return rows.toStringList();
}

bool showsOnceInOrder(MainForm *w, const QString &earlier, const QString &later, int timeoutMs) {
  if (!QTest::qWaitFor([&] { return chatRows(w).contains(later); }, timeoutMs)) return false;
  const QStringList rows = chatRows(w);
  return rows.count(earlier) == 1 && rows.count(later) == 1 && rows.indexOf(earlier) < rows.indexOf(later);
}

bool studentSays(MainForm *w, const QString &text) {
  auto *edit = w->findChild<QTextEdit *>(QStringLiteral("textEditChat"));
  auto *send = w->findChild<QAbstractButton *>(QStringLiteral("btnSend"));
  if (!edit || !send) return false;
  edit->setPlainText(text);
  send->click();
  return true;
}

bool boardShowsRedAt(MainForm *w, int x, int y) {
  return boardpixels::showsRedAt(w->findChild<QWindowWhiteBoard *>(), x, y);
}

bool boxSays(const QString &text, int timeoutMs) {
  return QTest::qWaitFor(
      [&] {
        const QStringList boxes = BoxDriver::openInformation();
        return std::any_of(boxes.cbegin(), boxes.cend(), [&](const QString &box) { return box.contains(text); });
      },
      timeoutMs);
}

int onlineInRoom(LocalService &service, quint32 roomId) {
  const QString token = service.signIn(kWatcherPhone, kWatcherPassword);
  const LocalService::Reply r =
      service.call(QStringLiteral("quorvel"), QStringLiteral("classes"), {{QStringLiteral("token"), token}});
  for (const QJsonValue &c : r.data().value(QStringLiteral("classes")).toArray())
    if (c.toObject().value(QStringLiteral("roomId")).toVariant().toUInt() == roomId)
      return c.toObject().value(QStringLiteral("online")).toInt(-1);
  return -1;
}

} // namespace faults
