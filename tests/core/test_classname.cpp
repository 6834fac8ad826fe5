// Class-name rules: the checks in their order with their messages, the length bound, the
// allowed punctuation, and the hidden three-digit prefix.

#include "core/classname.h"

#include <QtTest>

class TestClassName : public QObject {
  Q_OBJECT
private slots:
  void refusals_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    const QString ok;
    const QString digit = QStringLiteral("姓名不能以数字开头！");
    const QString length = QStringLiteral("姓名长度不能超过 20 个字符！");
    const QString special = QStringLiteral("姓名中不能包含特殊字符！");
    QTest::newRow("empty first") << QString() << QStringLiteral("姓名不可以为空！");
    QTest::newRow("leading digit") << QStringLiteral("2班张三") << digit;
    QTest::newRow("trailing digit") << QStringLiteral("张三2") << ok;
    QTest::newRow("full-width digit") << QStringLiteral("２班张三") << digit;
    QTest::newRow("arabic-indic digit") << QStringLiteral("\u0662班") << digit;
    QTest::newRow("digit outside 16 bits") << QStringLiteral("\U0001D7D0班") << digit;
    QTest::newRow("trailing full-width digit") << QStringLiteral("张三２") << ok;
    QTest::newRow("circled number is no digit") << QStringLiteral("②班") << ok;
    QTest::newRow("digit before length") << QStringLiteral("1").repeated(30) << digit;
    QTest::newRow("20 units") << QStringLiteral("张").repeated(20) << ok;
    QTest::newRow("21 units") << QStringLiteral("张").repeated(21) << length;
    QTest::newRow("length before special") << QStringLiteral("张 ").repeated(11) << length;
    QTest::newRow("space") << QStringLiteral("张 三") << special;
    QTest::newRow("tab") << QStringLiteral("张\t三") << special;
    QTest::newRow("ideographic space") << QStringLiteral("张\u3000三") << special;
    QTest::newRow("hyphen") << QStringLiteral("张-三") << ok;
    QTest::newRow("underscore") << QStringLiteral("张_三") << ok;
    QTest::newRow("latin") << QStringLiteral("Tom") << ok;
    QTest::newRow("fullwidth punctuation") << QStringLiteral("张三！") << ok;
    const QString forbidden = QStringLiteral("~!@#$%^&*()+={}[];',./:<>?`|\\\"");
    for (const QChar c : forbidden)
      QTest::newRow(qPrintable(QStringLiteral("char %1").arg(c))) << (QStringLiteral("张") + c) << special;
  }
  void refusals() {
    QFETCH(QString, name);
    QFETCH(QString, message);
    QCOMPARE(classname::refusal(name), message);
  }

  void hiddenPrefix() {
    QCOMPARE(classname::shown(QStringLiteral("012李四")), QStringLiteral("李四"));
    QCOMPARE(classname::shown(QStringLiteral("0123")), QStringLiteral("0123"));
    QCOMPARE(classname::shown(QStringLiteral("01李四")), QStringLiteral("01李四"));
    QCOMPARE(classname::shown(QStringLiteral("0123李四")), QStringLiteral("0123李四"));
    QCOMPARE(classname::shown(QStringLiteral("李四")), QStringLiteral("李四"));
    QCOMPARE(classname::shown(QString()), QString());
    // Digits in the Unicode sense, as in the rule a name must not start with.
    QCOMPARE(classname::shown(QStringLiteral("０１２李四")), QStringLiteral("李四"));
    QCOMPARE(classname::shown(QStringLiteral("012３李四")), QStringLiteral("012３李四"));
    QCOMPARE(classname::shown(QStringLiteral("\U0001D7CE\U0001D7CF\U0001D7D0李四")), QStringLiteral("李四"));
  }
};

QTEST_APPLESS_MAIN(TestClassName)
#include "test_classname.moc"
