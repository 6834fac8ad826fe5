// Portal addresses carry configured bases, page paths and tokens through unchanged, even
// when they hold percent escapes that look like placeholders.

#include "shell/portaladdress.h"

#include <QtTest>

class TestPortalAddress : public QObject {
  Q_OBJECT
private slots:
  void checkTokenKeepsEscapesInEveryField() {
    const QString address = portaladdress::checkToken(
        {QStringLiteral("http://127.0.0.1:18080/p%2Fq"), QStringLiteral("138%1"),
         QStringLiteral("tok%2Fen%3D%3D"), 0, QStringLiteral("v%4")});
    QCOMPARE(address, QStringLiteral("http://127.0.0.1:18080/p%2Fq/check-token?phone=138%1"
                                     "&token=tok%2Fen%3D%3D&socketPort=0&useCefChannel=true"
                                     "&useWebReplay=true&ver=v%4&build=1011"));
  }

  void checkTokenPlainFields() {
    QCOMPARE(portaladdress::checkToken({QStringLiteral("https://portal"), QStringLiteral("13800000000"),
                                        QStringLiteral("abc"), 7, QString()}),
             QStringLiteral("https://portal/check-token?phone=13800000000&token=abc&socketPort=7"
                            "&useCefChannel=true&useWebReplay=true&ver=&build=1011"));
  }

  void pagesAndSignInKeepEscapes() {
    QCOMPARE(portaladdress::page(QStringLiteral("https://portal%2F"), QStringLiteral("/live?dir=%2Fa%3")),
             QStringLiteral("https://portal%2F/live?dir=%2Fa%3&build=1011"));
    QCOMPARE(portaladdress::external(QStringLiteral("https://site/x?u=%2F%1")),
             QStringLiteral("https://site/x?u=%2F%1&build=1011"));
    QCOMPARE(portaladdress::signIn(QStringLiteral("https://portal/%2F")),
             QStringLiteral("https://portal/%2F/client-login/login?build=1011"));
  }
};

QTEST_GUILESS_MAIN(TestPortalAddress)
#include "test_portaladdress.moc"
