// The class chat page in the real browser engine, fed through the program's own view: messages
// with faces and pictures are drawn, a picture click asks for the viewer, and hostile text in
// any field stays text. Lines posted while the page still loads are not lost.

#include "core/deployment.h"
#include "recordingview.h"
#include "shell/chatpageview.h"
#include "shell/webview.h"
#include "pagescript.h"
#include "support/localservice.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

namespace {

bool waitFor(QWebEngineView *view, const QString &script, const QVariant &expected) {
  return QTest::qWaitFor([&] { return js(view, script) == expected; }, 15000);
}

QVariantMap item(const char *type, const QString &value) {
  return {{QStringLiteral("type"), QString::fromLatin1(type)}, {QStringLiteral("value"), value}};
}

QString chatJson(const QString &name, const QVariantList &contents) {
  return QString::fromUtf8(QJsonDocument(QJsonObject::fromVariantMap({{QStringLiteral("name"), name},
                                                                       {QStringLiteral("type"), QStringLiteral("message")},
                                                                       {QStringLiteral("contents"), contents}}))
                               .toJson());
}

QString pictureJson(const QString &url) {
  return QString::fromUtf8(QJsonDocument(QJsonObject::fromVariantMap({{QStringLiteral("name"), QStringLiteral("王老师")},
                                                                       {QStringLiteral("type"), QStringLiteral("image")},
                                                                       {QStringLiteral("url"), url}}))
                               .toJson());
}

const QString kHostile = QStringLiteral("<img src=x onerror=\"window.pwned=1\"><script>window.pwned=2</script>"
                                        "<a href=\"javascript:window.pwned=3\">点我</a>&lt;b&gt;");

} // namespace

class TestChatPage : public QObject {
  Q_OBJECT

  LocalService service;
  RecordingView *view = nullptr;

  void post(const QString &message, const QString &time = QStringLiteral("0")) {
    view->broadcastEvent(QStringLiteral("sendText"),
                         {{QStringLiteral("message"), message}, {QStringLiteral("time"), time}});
  }
  int rows() { return js(view, QStringLiteral("document.querySelectorAll('#messages > li').length")).toInt(); }
  QString last(const QString &expression) {
    return js(view, QStringLiteral("(function(){var r=document.querySelector('#messages > li:last-child');return %1;})()")
                        .arg(expression))
        .toString();
  }

private slots:
  void initTestCase() {
    QVERIFY2(service.start(), qPrintable(service.errorString()));
    // The chat page is the service's static content; only that origin gets the bridge.
    Deployment d = Deployment::instance();
    d.staticUrl = service.baseUrl() + QStringLiteral("/static");
    d.storageUrl = service.baseUrl() + QStringLiteral("/storage");
    Deployment::setInstance(d);
    view = new RecordingView(ChatPageView::addressWithStore(service.baseUrl() + QStringLiteral("/static/live/chat_v5.html")));
    view->resize(250, 400);
    view->show();
    QVERIFY(waitFor(view, QStringLiteral("!!document.getElementById('messages')"), true));
    // Events reach the page once its channel to the program is open.
    js(view, QStringLiteral("window.addEventListener('probe',function(){window.probed=true;});"));
    QVERIFY(QTest::qWaitFor([&] {
      view->broadcastEvent(QStringLiteral("probe"), {});
      return js(view, QStringLiteral("window.probed===true")).toBool();
    }, 15000));
  }
  void cleanupTestCase() {
    delete view;
    service.stop();
  }

  // The classroom posts chat as soon as it has made the view; the page's own script comes
  // later than the bridge, so nothing may be handed over before the page listens.
  void linesPostedWhileThePageLoadsAreDrawn() {
    RecordingView early(service.baseUrl() + QStringLiteral("/static/live/chat_v5.html"));
    early.resize(250, 400);
    early.show();
    for (const QString &text : {QStringLiteral("第一行"), QStringLiteral("第二行")})
      early.broadcastEvent(QStringLiteral("sendText"),
                           {{QStringLiteral("message"), chatJson(QStringLiteral("王老师"), {item("text", text)})},
                            {QStringLiteral("time"), QStringLiteral("0")}});
    QVERIFY(waitFor(&early, QStringLiteral("[].map.call(document.querySelectorAll('#messages .body'),"
                                           "function(b){return b.textContent;}).join('|')"),
                    QStringLiteral("第一行|第二行")));
  }

  void textAndFacesAreDrawnInOrder() {
    const int before = rows();
    post(chatJson(QStringLiteral("王老师"), {item("text", QStringLiteral("同学们好")), item("face", QStringLiteral("005")),
                                             item("face", QStringLiteral("139"))}),
         QStringLiteral("1700000000"));
    QVERIFY(waitFor(view, QStringLiteral("document.querySelectorAll('#messages > li').length"), before + 1));
    QCOMPARE(last(QStringLiteral("r.querySelector('.name').textContent")), QStringLiteral("王老师"));
    QCOMPARE(last(QStringLiteral("r.querySelector('.body').textContent")), QStringLiteral("同学们好"));
    QCOMPARE(last(QStringLiteral("[].map.call(r.querySelectorAll('img.face'),function(i){return i.src.split('/').pop();}).join(',')")),
             QStringLiteral("image005.png,image139.png"));
    // The faces come from the service and really load.
    QVERIFY(waitFor(view, QStringLiteral("[].every.call(document.querySelectorAll('img.face'),function(i){return i.naturalWidth>0;})"), true));
  }

  void systemNotesHaveTheirOwnLook() {
    post(chatJson(QStringLiteral("系统消息"), {item("text", QStringLiteral("发送消息内容超长，请分条发送。"))}));
    QVERIFY(waitFor(view, QStringLiteral("document.querySelector('#messages > li:last-child').className"), QStringLiteral("msg system")));
  }

  void picturesOpenTheViewer() {
    const QString url = service.baseUrl() + QStringLiteral("/storage/files/v2/a/public/chatPicture/d/s1_1.png?expires=9&sig=ab");
    post(pictureJson(url));
    QVERIFY(waitFor(view, QStringLiteral("!!document.querySelector('#messages > li:last-child img.picture')"), true));
    js(view, QStringLiteral("document.querySelector('#messages > li:last-child img.picture').click()"));
    QTRY_COMPARE(view->calls, QStringList{QStringLiteral("imageView|") + url});
  }

  // Pictures from anywhere but the store are not drawn, so no classmate makes every client
  // fetch an address of its choosing: not another host, not another path of the store's host.
  void onlyStorePicturesAreDrawn() {
    const QString shape = QStringLiteral("document.images.length");
    const QString before = js(view, shape).toString();
    const int count = rows();
    const int calls = view->calls.size();
    for (const QString &url : {QStringLiteral("http://192.0.2.7/storage/x.png"),
                               service.baseUrl() + QStringLiteral("/static/png/emoji/image042.png"),
                               service.baseUrl() + QStringLiteral("/storage/%2e%2e/static/png/emoji/image042.png"),
                               service.baseUrl() + QStringLiteral("/storagex/a.png"),
                               QStringLiteral("http://u:p@") + service.baseUrl().mid(7) + QStringLiteral("/storage/a.png")})
      post(pictureJson(url));
    post(chatJson(QStringLiteral("王老师"), {item("text", QStringLiteral("after"))}));
    QVERIFY(waitFor(view, QStringLiteral("document.querySelectorAll('#messages > li').length"), count + 1));
    QCOMPARE(js(view, shape).toString(), before);
    QCOMPARE(view->calls.size(), calls);

    // A page opened without the store's address shows no picture at all.
    RecordingView bare(service.baseUrl() + QStringLiteral("/static/live/chat_v5.html"));
    bare.show();
    QVERIFY(waitFor(&bare, QStringLiteral("!!document.getElementById('messages')"), true));
    QVERIFY(QTest::qWaitFor([&] {
      bare.broadcastEvent(QStringLiteral("sendText"),
                          {{QStringLiteral("message"), chatJson(QStringLiteral("a"), {item("text", QStringLiteral("t"))})},
                           {QStringLiteral("time"), QStringLiteral("0")}});
      return js(&bare, QStringLiteral("document.querySelectorAll('#messages > li').length")).toInt() > 0;
    }, 15000));
    bare.broadcastEvent(QStringLiteral("sendText"),
                        {{QStringLiteral("message"), pictureJson(service.baseUrl() + QStringLiteral("/storage/a.png"))},
                         {QStringLiteral("time"), QStringLiteral("0")}});
    QTest::qWait(500);
    QCOMPARE(js(&bare, QStringLiteral("document.images.length")).toInt(), 0);
  }

  void hostileTextStaysText() {
    const QString shape = QStringLiteral("document.querySelectorAll('script,a,iframe,object').length + '/' + document.images.length");
    const QString before = js(view, shape).toString();
    const int count = rows();
    post(chatJson(kHostile, {item("text", kHostile), item("face", QStringLiteral("001\" onerror=\"window.pwned=5")),
                             item("face", QStringLiteral("../../x"))}));
    QVERIFY(waitFor(view, QStringLiteral("document.querySelectorAll('#messages > li').length"), count + 1));
    QCOMPARE(last(QStringLiteral("r.querySelector('.name').textContent")), kHostile);
    QCOMPARE(last(QStringLiteral("r.querySelector('.body').textContent")), kHostile);
    // Pictures that are not http/https are not loaded or drawn at all.
    for (const QString &url : {QStringLiteral("javascript:window.pwned=4"), QStringLiteral("data:image/png;base64,AAAA"),
                               QStringLiteral("x\" onerror=\"window.pwned=6")})
      post(pictureJson(url));
    post(QStringLiteral("<img src=x onerror=window.pwned=7>"));
    post(QStringLiteral("toBottom"));
    QTest::qWait(500);
    QCOMPARE(rows(), count + 1);
    QCOMPARE(js(view, shape).toString(), before);
    QCOMPARE(js(view, QStringLiteral("typeof window.pwned")).toString(), QStringLiteral("undefined"));
    QCOMPARE(view->calls.size(), 1);
  }
};

QTEST_MAIN(TestChatPage)
#include "test_chatpage.moc"
