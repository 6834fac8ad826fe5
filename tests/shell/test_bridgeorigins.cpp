// Who may use the page bridge, in the real browser engine. The service's origins are two
// loopback servers (portal and static content, as the deployment record names them); a third
// one stands for everybody else. Pages from there must never hold the web channel, whatever
// way they come in, and what the bridge does for the service's own pages stays limited.

#include "core/deployment.h"
#include "originserver.h"
#include "pagescript.h"
#include "recordingview.h"
#include "shell/webview.h"

#include <QDesktopServices>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QWebEngineDownloadItem>
#include <QWebEngineProfile>
#include <QtTest>

namespace {

// Tells the page that opened or holds it (if any) whether it got the channel's transport:
// when it runs, when it has loaded, and a moment later.
const QByteArray kProbe = R"(<!doctype html><meta charset="utf-8"><title>probe</title>
<script>
  window.hasTransport = function () { return typeof qt !== 'undefined' && !!qt.webChannelTransport; };
  window.reports = [];
  window.addEventListener('message', function (e) { reports.push(String(e.data)); });
  function report() {
    var to = window.opener || (window.parent !== window ? window.parent : null);
    if (to) to.postMessage(location.href + ' ' + hasTransport(), '*');
  }
  report();
  window.addEventListener('load', function () { report(); setTimeout(report, 500); });
</script><body>probe</body>)";

const QString kHasTransport = QStringLiteral("typeof qt !== 'undefined' && !!qt.webChannelTransport");

} // namespace

class TestBridgeOrigins : public QObject {
  Q_OBJECT

  OriginServer portal, statics, foreign;
  RecordingView *view = nullptr;
  QList<QUrl> opened;
  int sentinels = 0;

  bool showsProbeAt(const QString &origin) {
    return QTest::qWaitFor([&] {
      return js(view, QStringLiteral("document.title === 'probe' && document.readyState === 'complete' && location.origin"))
                 .toString() == origin;
    }, 15000);
  }
  // The program's own navigation, finished before the test goes on.
  void load(const QString &url) {
    QSignalSpy finished(view, &QWebEngineView::loadFinished);
    view->load(QUrl(url));
    QVERIFY(finished.wait(15000));
  }
  // A navigation the page itself starts, as a link would.
  void follow(const QString &url) { js(view, QStringLiteral("location.href = '%1'").arg(url)); }
  void invoke(const QString &args) { js(view, QStringLiteral("tarnwick.invoke(%1)").arg(args)); }
  // A call made after `args` that the program records: once it is there, so are the earlier ones.
  bool callAndSentinel(const QString &args) {
    const QString mark = QString::number(++sentinels);
    invoke(args);
    invoke(QStringLiteral("'setUserInfo', 'sentinel %1'").arg(mark));
    return QTest::qWaitFor([&] { return view->calls.contains(QStringLiteral("setUserInfo|sentinel ") + mark); }, 15000);
  }
  // No call can come from a page without the channel; give a wrong one the time to show.
  void expectNoCallsFor(int ms) {
    const int before = view->calls.size();
    invoke(QStringLiteral("'setUserInfo', 'from elsewhere'"));
    QTest::qWait(ms);
    QCOMPARE(view->calls.size(), before);
  }

public slots:
  void openedUrl(const QUrl &url) { opened << url; }

private slots:
  void initTestCase() {
    Deployment d = Deployment::instance();
    d.portalUrl = portal.origin();
    d.staticUrl = statics.origin() + QStringLiteral("/static");
    Deployment::setInstance(d);
    for (OriginServer *server : {&portal, &statics, &foreign}) {
      server->page(QStringLiteral("/probe"), kProbe);
      server->page(QStringLiteral("/static/probe"), kProbe);
    }
    foreign.page(QStringLiteral("/in-frame"), kProbe);
    foreign.page(QStringLiteral("/pop-up"), kProbe);
    portal.redirect(QStringLiteral("/away"), foreign.url(QStringLiteral("/probe")));
    foreign.redirect(QStringLiteral("/back"), portal.url(QStringLiteral("/probe")));
    portal.download(QStringLiteral("/notes.txt"));
    portal.empty(QStringLiteral("/nothing"));
    portal.page(QStringLiteral("/framed"),
                QByteArray(kProbe).replace("<body>probe</body>", "<body><iframe src=\"" +
                                                                    foreign.url(QStringLiteral("/in-frame")).toUtf8() +
                                                                    "\"></iframe></body>"));
    // Nobody is there to answer a save dialog: downloads are turned down before it opens.
    connect(QWebEngineProfile::defaultProfile(), &QWebEngineProfile::downloadRequested, this,
            [](QWebEngineDownloadItem *item) { item->cancel(); });
    for (const char *scheme : {"http", "https", "file", "javascript", "data", "tarnwick-app"})
      QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "openedUrl");

    view = new RecordingView(portal.url(QStringLiteral("/probe")));
    view->passOn = true;
    view->resize(400, 300);
    view->show();
    QVERIFY(showsProbeAt(portal.origin()));
  }
  void cleanupTestCase() { delete view; }

  void serviceOriginsHoldTheBridge() {
    for (const QString &url : {portal.url(QStringLiteral("/probe")), statics.url(QStringLiteral("/static/probe"))}) {
      load(url);
      QVERIFY(showsProbeAt(QUrl(url).adjusted(QUrl::RemovePath).toString(QUrl::RemoveUserInfo)));
      QCOMPARE(js(view, kHasTransport).toBool(), true);
      QVERIFY2(callAndSentinel(QStringLiteral("'setUserInfo', '{}'")), qPrintable(url));
    }
  }

  // However a page of another origin comes into the view, it finds no channel.
  void otherOriginsGetNoChannel_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("loaded by the program") << "load";
    QTest::newRow("link from a service page") << "link";
    QTest::newRow("service address redirecting away") << "redirect";
    QTest::newRow("link to such an address") << "link-redirect";
  }
  void otherOriginsGetNoChannel() {
    QFETCH(QString, how);
    load(portal.url(QStringLiteral("/probe")));
    QVERIFY(showsProbeAt(portal.origin()));
    if (how == QLatin1String("load")) load(foreign.url(QStringLiteral("/probe")));
    if (how == QLatin1String("link")) follow(foreign.url(QStringLiteral("/probe")));
    if (how == QLatin1String("redirect")) load(portal.url(QStringLiteral("/away")));
    if (how == QLatin1String("link-redirect")) follow(portal.url(QStringLiteral("/away")));
    QVERIFY(showsProbeAt(foreign.origin()));
    QCOMPARE(js(view, kHasTransport).toBool(), false);
    expectNoCallsFor(1000);
    QCOMPARE(js(view, kHasTransport).toBool(), false);
  }

  // A page that holds the channel shares it with no frame or window of another origin.
  void framesAndPopUpsOfOtherOriginsGetNoChannel() {
    load(portal.url(QStringLiteral("/framed")));
    QVERIFY(showsProbeAt(portal.origin()));
    js(view, QStringLiteral("window.open('%1', 'x')").arg(foreign.url(QStringLiteral("/pop-up"))));
    QTest::qWait(2000);
    const QStringList reports = js(view, QStringLiteral("window.reports.join(',')")).toString().split(',', Qt::SkipEmptyParts);
    const QString frame = foreign.url(QStringLiteral("/in-frame")), popUp = foreign.url(QStringLiteral("/pop-up"));
    QVERIFY2(!reports.contains(frame + QStringLiteral(" true")), qPrintable(reports.join(',')));
    QVERIFY2(!reports.contains(popUp + QStringLiteral(" true")), qPrintable(reports.join(',')));
    // The frame has loaded and told us; a pop-up, if the view ever makes one, has too.
    QVERIFY2(reports.contains(frame + QStringLiteral(" false")), qPrintable(reports.join(',')));
    if (foreign.requested().contains(QStringLiteral("/pop-up")))
      QVERIFY2(reports.contains(popUp + QStringLiteral(" false")), qPrintable(reports.join(',')));
    QCOMPARE(js(view, kHasTransport).toBool(), true);
  }

  // Starting a navigation to a service address that never replaces the page (a download, an
  // empty answer) must not hand the channel to the page that started it.
  void aPageWithoutTheChannelCannotWinItByNavigating() {
    load(foreign.url(QStringLiteral("/probe")));
    QVERIFY(showsProbeAt(foreign.origin()));
    for (const QString &path : {QStringLiteral("/notes.txt"), QStringLiteral("/nothing")}) {
      follow(portal.url(path));
      QTRY_VERIFY_WITH_TIMEOUT(portal.requested().contains(path), 10000);
      QTest::qWait(1000);
      QVERIFY(showsProbeAt(foreign.origin()));
      QVERIFY2(!js(view, kHasTransport).toBool(), qPrintable(path));
    }
    expectNoCallsFor(500);
  }

  // The program's own load of a service address hands nothing to the page on screen while
  // it is pending, nor when it never replaces that page (a download, an empty answer).
  void aProgramLoadGrantsNothingBeforeItCommits() {
    load(foreign.url(QStringLiteral("/probe")));
    QVERIFY(showsProbeAt(foreign.origin()));
    for (const QString &path : {QStringLiteral("/notes.txt"), QStringLiteral("/nothing")}) {
      const int before = portal.requested().count(path);
      view->load(QUrl(portal.url(path)));
      QTRY_VERIFY_WITH_TIMEOUT(portal.requested().count(path) > before, 10000);
      QTest::qWait(1000);
      QVERIFY(showsProbeAt(foreign.origin()));
      QVERIFY2(!js(view, kHasTransport).toBool(), qPrintable(path));
      expectNoCallsFor(500);
    }
    // A service page that does replace it gets the channel.
    load(portal.url(QStringLiteral("/probe")));
    QVERIFY(showsProbeAt(portal.origin()));
    QTRY_VERIFY_WITH_TIMEOUT(js(view, kHasTransport).toBool(), 10000);
    QVERIFY(callAndSentinel(QStringLiteral("'setUserInfo', '{}'")));
  }

  // The way back from elsewhere to the service works as before.
  void aServicePageReachedFromElsewhereHoldsTheBridge() {
    load(foreign.url(QStringLiteral("/probe")));
    QVERIFY(showsProbeAt(foreign.origin()));
    follow(foreign.url(QStringLiteral("/back")));
    QVERIFY(showsProbeAt(portal.origin()));
    QTRY_VERIFY_WITH_TIMEOUT(js(view, kHasTransport).toBool(), 10000);
    QVERIFY(callAndSentinel(QStringLiteral("'setUserInfo', '{}'")));
  }

  void openUrlOpensOnlyWebAddresses() {
    load(portal.url(QStringLiteral("/probe")));
    QVERIFY(showsProbeAt(portal.origin()));
    opened.clear();
    const QStringList refused{QStringLiteral("file:///etc/passwd"), QStringLiteral("javascript:alert(1)"),
                              QStringLiteral("data:text/html,<b>x</b>"), QStringLiteral("tarnwick-app://enter?room=1"),
                              QStringLiteral("http:no-host"), QString()};
    for (const QString &url : refused) {
      QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("openUrl refused")));
      invoke(QStringLiteral("'openUrl', %1").arg(QString::fromUtf8(QJsonDocument(QJsonArray{url}).toJson(QJsonDocument::Compact)).mid(1).chopped(1)));
    }
    invoke(QStringLiteral("'openUrl', 'https://example.org/a'"));
    invoke(QStringLiteral("'openUrl', 'HTTP://example.org/b'"));
    QTRY_COMPARE_WITH_TIMEOUT(opened.size(), 2, 10000);
    QCOMPARE(opened.at(0), QUrl(QStringLiteral("https://example.org/a")));
    QCOMPARE(opened.at(1).host(), QStringLiteral("example.org"));
  }

  // Only the sign-in page's origin (the portal's) reads or writes the stored credentials.
  void storedCredentialsAnswerOnlyTheSignInOrigin() {
    QSignalSpy loads(view, &WebView::loadPasswordRequested);
    QSignalSpy stores(view, &WebView::storePasswordRequested);
    const QString both = QStringLiteral("'loadPassword', '#fff'); tarnwick.invoke('storePassword', '13800000001', 'pw'");

    load(statics.url(QStringLiteral("/static/probe")));
    QVERIFY(showsProbeAt(statics.origin()));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("loadPassword refused")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("storePassword refused")));
    QVERIFY(callAndSentinel(both));
    QCOMPARE(loads.size() + stores.size(), 0);

    load(foreign.url(QStringLiteral("/probe")));
    QVERIFY(showsProbeAt(foreign.origin()));
    invoke(both);
    QTest::qWait(1000);
    QCOMPARE(loads.size() + stores.size(), 0);

    load(portal.url(QStringLiteral("/probe")));
    QVERIFY(showsProbeAt(portal.origin()));
    QVERIFY(callAndSentinel(both));
    QCOMPARE(loads.size(), 1);
    QCOMPARE(loads.at(0).at(0).toString(), QStringLiteral("#fff"));
    QCOMPARE(stores.size(), 1);
    QCOMPARE(stores.at(0).at(1).toString(), QStringLiteral("pw"));
  }
};

QTEST_MAIN(TestBridgeOrigins)
#include "test_bridgeorigins.moc"
