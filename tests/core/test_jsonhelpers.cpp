#include "core/jsonhelpers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTest>

namespace {
QStringList g_messages;
void capture(QtMsgType, const QMessageLogContext &, const QString &msg) { g_messages << msg; }
} // namespace

class TestJsonHelpers : public QObject {
  Q_OBJECT
private slots:
  void objectBecomesMap() {
    const QVariantMap map =
        jsonToMap(QStringLiteral("{\"roomId\": 1234, \"token\": \"t\", \"course\": \"语文\", \"nested\": {\"a\": [1,2]}}"));
    QCOMPARE(map.value(QStringLiteral("roomId")).toInt(), 1234);
    QCOMPARE(map.value(QStringLiteral("course")).toString(), QStringLiteral("语文"));
    QCOMPARE(map.value(QStringLiteral("nested")).toMap().value(QStringLiteral("a")).toList().size(), 2);
  }

  void nonObjectsGiveEmptyMap_data() {
    QTest::addColumn<QString>("json");
    QTest::addColumn<bool>("parseError");
    QTest::newRow("array") << "[1, 2]" << false;
    QTest::newRow("truncated") << "{\"a\": 1" << true;
    QTest::newRow("plain text") << "hello" << true;
    QTest::newRow("empty") << "" << true;
  }
  void nonObjectsGiveEmptyMap() {
    QFETCH(QString, json);
    QFETCH(bool, parseError);
    g_messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(capture);
    const QVariantMap map = jsonToMap(json);
    qInstallMessageHandler(previous);
    QVERIFY(map.isEmpty());
    QCOMPARE(g_messages.size(), parseError ? 1 : 0);
    if (parseError) QVERIFY(QRegularExpression(QStringLiteral("^json parse error:.+,pos:\\d+$")).match(g_messages[0]).hasMatch());
  }

  void textIsIndentedAndReadsBack() {
    QJsonObject object{{QStringLiteral("name"), QStringLiteral("张三")}, {QStringLiteral("n"), 2},
                       {QStringLiteral("list"), QJsonArray{1, 2}}};
    const QString text = jsonToText(object);
    QVERIFY(text.contains(QStringLiteral("\n    \"name\": \"张三\"")));
    QCOMPARE(jsonToMap(text), object.toVariantMap());
    QVERIFY(!jsonToCompactText(object).contains(QLatin1Char('\n')));
    QCOMPARE(jsonToMap(jsonToCompactText(object)), object.toVariantMap());
  }
};

QTEST_GUILESS_MAIN(TestJsonHelpers)
#include "test_jsonhelpers.moc"
