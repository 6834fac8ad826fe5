// The sign-in page names the login window's background colour through the bridge; only a
// plain colour may reach the window's style sheet, never more rules or a resource address.

#include "shell/qtlogin.h"

#include <QTest>

class TestLoginStyle : public QObject {
  Q_OBJECT

private slots:
  void plainColoursOnly_data() {
    QTest::addColumn<QString>("colour");
    QTest::addColumn<bool>("taken");
    QTest::newRow("#rrggbb") << "#FFC82E" << true;
    QTest::newRow("#rgb") << "#fc2" << true;
    QTest::newRow("rgb()") << "rgb(255, 200, 46)" << true;
    QTest::newRow("more rules") << "#fff; } QWidget { image: url(/etc/passwd)" << false;
    QTest::newRow("a resource") << "url(:/res/x.png)" << false;
    QTest::newRow("trailing rule") << "#ffffff;border:9px" << false;
    QTest::newRow("line break") << "#ffffff\n" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("gradient") << "qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 red, stop:1 blue)" << false;
  }
  void plainColoursOnly() {
    QFETCH(QString, colour);
    QFETCH(bool, taken);
    const QString style = QtLogin::backgroundStyle(colour);
    QCOMPARE(style, taken ? QStringLiteral("background-color: ") + colour + QLatin1Char(';') : QString());
  }
};

QTEST_GUILESS_MAIN(TestLoginStyle)
#include "test_loginstyle.moc"
