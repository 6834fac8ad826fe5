#include "widgets/tips.h"
#include "core/tipthrottle.h"
#include "widgets/qtmessagebox.h"

#include <QApplication>
#include <QPointer>
#include <QTest>

namespace {

QStringList g_messages;
void capture(QtMsgType, const QMessageLogContext &, const QString &msg) { g_messages << msg; }

QList<QtMessageBox *> openBoxes() {
  QList<QtMessageBox *> boxes;
  for (QWidget *w : QApplication::allWidgets())
    if (auto *box = qobject_cast<QtMessageBox *>(w)) boxes << box;
  return boxes;
}

} // namespace

class TestTips : public QObject {
  Q_OBJECT
  QtMessageHandler m_previous = nullptr;
  std::unique_ptr<QWidget> m_parent;

private slots:
  void init() {
    g_messages.clear();
    m_previous = qInstallMessageHandler(capture);
    m_parent = std::make_unique<QWidget>();
  }
  void cleanup() {
    qInstallMessageHandler(m_previous);
    m_parent.reset(); // takes its boxes with it
    QCOMPARE(openBoxes().size(), 0);
  }

  void codeFormShowsCodeAndMessageAndLogsTheDetail() {
    ShowCodeErrorTips(10004, QStringLiteral("进入教室失败"), m_parent.get(), QStringLiteral("room=77"));
    const auto boxes = openBoxes();
    QCOMPARE(boxes.size(), 1);
    QtMessageBox *box = boxes[0];
    QCOMPARE(box->title(), QStringLiteral("错误"));
    QCOMPARE(box->message(), QStringLiteral("错误码:   10004\n错误信息: 进入教室失败"));
    QCOMPARE(box->kind(), QtMessageBox::Information);
    QCOMPARE(box->parentWidget(), m_parent.get());
    QVERIFY(box->isVisible());
    QVERIFY(!box->isModal());
    QCOMPARE(g_messages, QStringList{QStringLiteral("ShowCodeErrorTips:10004, 进入教室失败, room=77")});
  }

  void messageFormShowsTheMessage() {
    ShowCodeErrorTips(QStringLiteral("网络连接失败"), m_parent.get());
    const auto boxes = openBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0]->title(), QStringLiteral("错误"));
    QCOMPARE(boxes[0]->message(), QStringLiteral("网络连接失败"));
    QCOMPARE(g_messages, QStringList{QStringLiteral("ShowCodeErrorTips:网络连接失败")});
  }

  void repeatedTipIsShownOnce() {
    showTips(QStringLiteral("进入教室"), QStringLiteral("请稍后再进入教室"), m_parent.get());
    showTips(QStringLiteral("进入教室"), QStringLiteral("请稍后再进入教室"), m_parent.get());
    showTips(QStringLiteral("提示"), QStringLiteral("另一条"), m_parent.get());
    const auto boxes = openBoxes();
    QCOMPARE(boxes.size(), 2);
    QStringList texts;
    for (auto *b : boxes) texts << b->title() + QLatin1Char('/') + b->message();
    texts.sort();
    QCOMPARE(texts, (QStringList{QStringLiteral("提示/另一条"), QStringLiteral("进入教室/请稍后再进入教室")}));
  }

  void throttleWindowRestartsOnEveryAsk() {
    TipThrottle throttle(2000);
    const QString a = QStringLiteral("a");
    QVERIFY(throttle.request(a, 10000));
    QVERIFY(!throttle.request(a, 11999));
    QVERIFY(!throttle.request(a, 13500)); // within 2 s of the last ask, not of the last show
    QVERIFY(throttle.request(a, 15500));  // exactly 2 s later
    QVERIFY(throttle.request(QStringLiteral("b"), 15501));
    QVERIFY(!throttle.request(QStringLiteral("b"), 15502));
  }
};

QTEST_MAIN(TestTips)
#include "test_tips.moc"
