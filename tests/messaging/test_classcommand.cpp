#include "messaging/classcommand.h"
#include "messaging/classsend.h"

#include <QTest>

class TestClassCommand : public QObject {
  Q_OBJECT
private slots:
  void writesIndentedFormByteForByte() {
    QCOMPARE(ClassCommand::toJson(2051, QStringLiteral("abc")),
             QByteArray("{\n    \"actionParam\": \"abc\",\n    \"userAction\": 2051\n}\n"));
    // An empty parameter is still written as an (empty) string member.
    QCOMPARE(ClassCommand::toJson(2058, QString()),
             QByteArray("{\n    \"actionParam\": \"\",\n    \"userAction\": 2058\n}\n"));
  }

  void escapesQuotesAndKeepsChineseAsUtf8() {
    const QString param = QStringLiteral("他说\"你好\"\\ \t\n/");
    const QByteArray json = ClassCommand::toJson(2056, param);
    QVERIFY(json.contains("\\\"\xe4\xbd\xa0\xe5\xa5\xbd\\\""));
    QVERIFY(json.contains("\\\\ \\t\\n"));
    ClassCommand c;
    QVERIFY(ClassCommand::parse(QString::fromUtf8(json), &c));
    QCOMPARE(c.userAction, 2056);
    QCOMPARE(c.actionParam, param);
  }

  void commandMessageIsOneTaggedCustomElement() {
    ilive::Message m;
    g_buildClassCommand(ClassCommandCode::HandRaised, QStringLiteral("u_7"), m);
    QCOMPARE(int(m.elems.size()), 1);
    QCOMPARE(m.elems[0]->type, ilive::MESSAGE_ELEM_CUSTOM);
    const auto *e = static_cast<const ilive::MessageCustomElem *>(m.elems[0]);
    QCOMPARE(QByteArray(e->ext.c_str()), QByteArray("LiveNotification"));
    QCOMPARE(QByteArray(e->data.c_str(), int(e->data.size())),
             ClassCommand::toJson(2054, QStringLiteral("u_7")));
  }

  void roundTripsExtremeCodes() {
    for (int code : {0, -1, 2147483647, -2147483647 - 1}) {
      ClassCommand c;
      QVERIFY(ClassCommand::parse(ClassCommand::toJson(code, QStringLiteral("x")), &c));
      QCOMPARE(c.userAction, code);
    }
  }

  void readsUserActionAsNumberOrNumericString_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("userAction");
    QTest::addColumn<QString>("actionParam");
    QTest::newRow("number") << QByteArray(R"({"userAction":2049,"actionParam":"u1"})") << 2049
                            << QStringLiteral("u1");
    QTest::newRow("numeric string") << QByteArray(R"({"userAction":"2110","actionParam":"1"})")
                                    << 2110 << QStringLiteral("1");
    QTest::newRow("string with blanks") << QByteArray(R"({"userAction":" 6 "})") << 6 << QString();
    QTest::newRow("missing code") << QByteArray(R"({"actionParam":"p"})") << 0
                                  << QStringLiteral("p");
    QTest::newRow("fraction") << QByteArray(R"({"userAction":2049.5})") << 0 << QString();
    QTest::newRow("huge") << QByteArray(R"({"userAction":1e300})") << 0 << QString();
    QTest::newRow("word") << QByteArray(R"({"userAction":"abc"})") << 0 << QString();
    QTest::newRow("object code") << QByteArray(R"({"userAction":{}})") << 0 << QString();
    QTest::newRow("numeric param") << QByteArray(R"({"userAction":1,"actionParam":12})") << 1
                                   << QStringLiteral("12");
    QTest::newRow("array param") << QByteArray(R"({"userAction":1,"actionParam":[1]})") << 1
                                 << QString();
  }
  void readsUserActionAsNumberOrNumericString() {
    QFETCH(QByteArray, json);
    QFETCH(int, userAction);
    QFETCH(QString, actionParam);
    ClassCommand c;
    c.userAction = 777;
    QVERIFY(ClassCommand::parse(json, &c));
    QCOMPARE(c.userAction, userAction);
    QCOMPARE(c.actionParam, actionParam);
  }

  void rejectsWhatIsNotAnObject_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("plain chat") << QByteArray("hello");
    QTest::newRow("array") << QByteArray("[1,2]");
    QTest::newRow("truncated") << QByteArray("{\"userAction\": 2049");
    QTest::newRow("trailing garbage") << QByteArray("{\"userAction\": 1} x");
  }
  void rejectsWhatIsNotAnObject() {
    QFETCH(QByteArray, json);
    ClassCommand c;
    c.userAction = 42;
    c.actionParam = QStringLiteral("kept");
    QVERIFY(!ClassCommand::parse(json, &c));
    QCOMPARE(c.userAction, 42);
    QCOMPARE(c.actionParam, QStringLiteral("kept"));
  }
};

QTEST_GUILESS_MAIN(TestClassCommand)
#include "test_classcommand.moc"
