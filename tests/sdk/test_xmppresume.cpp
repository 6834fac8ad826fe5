// IM over a real ejabberd coming back after a cut (one server for the program, started by
// scripts/engines.sh). The student's transport reaches the server through a loopback relay
// that the test cuts; the teacher's goes straight. What was sent while the link was away
// arrives once and in order, both ways; a message cut on its way goes once; a message the
// server took before the cut is not sent again; a server restart is ridden out. The order and
// the once-only of what a comeback hands on (the inbox) is also checked without a server.
#include "sdk/net/xmpp/xmppimtransport.h"
#include "sdk/net/xmpp/xmppinbox.h"
#include "service/imtokenissuer.h"
#include "service/xmppadmin.h"
#include "support/ejabberdengine.h"
#include "loopbackproxy.h"

#include "protocol/protocol.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>
#include <httplib.h>

#include <memory>

using hubproto::Conversation;
using hubproto::Element;
using sdk::XmppImTransport;

namespace {
constexpr quint32 kRoom = 700201;
const QString kTeacher = QStringLiteral("t1");
const QString kStudent = QStringLiteral("s1");
constexpr int kWaitMs = 10000;
constexpr int kTryMs = 5000;
constexpr int kCutMs = 3000;

Element text(const QString &t) {
  Element e;
  e.kind = Element::Text;
  e.text = t;
  return e;
}

struct Answer {
  bool done = false;
  int code = -1;
  sdk::ImTransport::Done fn() {
    return [this](int c, const QString &) {
      done = true;
      code = c;
    };
  }
};

struct Peer {
  std::unique_ptr<XmppImTransport> im;
  std::unique_ptr<QSignalSpy> received;
  std::unique_ptr<QSignalSpy> lost;
  std::unique_ptr<QSignalSpy> kicked;

  // The first element's text of every message received, in order; only of one conversation
  // kind when given (the server keeps the order within the room and within one-to-one
  // traffic, not across them).
  QStringList texts(int kind = -1) const {
    QStringList out;
    for (const QList<QVariant> &args : *received) {
      const hubproto::ImMessage m = args.at(0).value<hubproto::ImMessage>();
      if (kind < 0 || int(m.conv.type) == kind)
        out << m.elems.value(0).text;
    }
    return out;
  }
  int send(const QString &to, const QString &line) {
    Answer sent;
    const Conversation conv = to.isEmpty() ? Conversation{Conversation::Group, QString::number(kRoom)}
                                           : Conversation{Conversation::C2C, to};
    im->send(conv, {text(line)}, nullptr, sent.fn());
    return sent.code;
  }
  // Tries the comeback until the link works again (each try as the live SDK would make it).
  bool comeBack() {
    for (int tries = 0; tries < 20; ++tries) {
      Answer back;
      im->resume(kTryMs, back.fn());
      if (!QTest::qWaitFor([&] { return back.done; }, kTryMs + 1000))
        return false;
      if (back.code == 0)
        return true;
      QTest::qWait(300);
    }
    return false;
  }
};

hubproto::ImMessage arrived(const QString &line, const QString &archive = QStringLiteral("room")) {
  hubproto::ImMessage m;
  m.elems = {text(line)};
  m.from = archive;
  return m;
}

QStringList lines(const QVector<hubproto::ImMessage> &ms) {
  QStringList out;
  for (const hubproto::ImMessage &m : ms)
    out << m.elems.value(0).text;
  return out;
}
} // namespace

Q_DECLARE_METATYPE(hubproto::ImMessage)

class TestXmppResume : public QObject {
  Q_OBJECT

  EjabberdEngine m_engine;
  std::unique_ptr<ImTokenIssuer> m_tokens;
  std::unique_ptr<LoopbackProxy> m_relay; // the student's way to the server

  std::unique_ptr<Peer> seated(const QString &userId, quint16 port) {
    sdk::XmppAddress address;
    if (!sdk::XmppAddress::parse(m_engine.xmppUrl(), &address))
      return nullptr;
    address.port = port;
    auto p = std::make_unique<Peer>();
    p->im = std::make_unique<XmppImTransport>(address, m_tokens->token(userId));
    p->received = std::make_unique<QSignalSpy>(p->im.get(), &sdk::ImTransport::received);
    p->lost = std::make_unique<QSignalSpy>(p->im.get(), &sdk::ImTransport::connectionLost);
    p->kicked = std::make_unique<QSignalSpy>(p->im.get(), &sdk::ImTransport::forcedOffline);
    Answer signedIn, joined;
    p->im->signIn(userId, signedIn.fn());
    if (!QTest::qWaitFor([&] { return signedIn.done; }, kWaitMs) || signedIn.code != 0)
      return nullptr;
    p->im->joinRoom(kRoom, joined.fn());
    if (!QTest::qWaitFor([&] { return joined.done; }, kWaitMs) || joined.code != 0)
      return nullptr;
    return p;
  }
  std::unique_ptr<Peer> teacher() { return seated(kTeacher, m_engine.c2sPort()); }
  std::unique_ptr<Peer> student() { return seated(kStudent, m_relay->port()); }

  // The server ends every session of the user through its HTTP API, as its operator would.
  bool kick(const QString &userId) const {
    httplib::Client client("127.0.0.1", QUrl(m_engine.apiUrl()).port());
    client.set_basic_auth(QStringLiteral("service@%1").arg(m_engine.domain()).toStdString(), m_engine.apiSecret().toStdString());
    const QJsonObject user{{QStringLiteral("user"), userId}, {QStringLiteral("host"), m_engine.domain()}};
    const auto res = client.Post("/api/kick_user", QJsonDocument(user).toJson(QJsonDocument::Compact).toStdString(),
                                 "application/json");
    return res && res->status == 200 && QJsonDocument::fromJson(QByteArray::fromStdString(res->body))
                                                .object().value(QStringLiteral("num_resources")).toInt() == 1;
  }

  // The student's link breaks and stays away until the test lets it back.
  void cutStudent(Peer &s) {
    m_relay->setFrozen(true);
    m_relay->cutAll();
    QTRY_COMPARE_WITH_TIMEOUT(s.lost->count(), 1, kWaitMs);
  }

private slots:
  void initTestCase() {
    qRegisterMetaType<hubproto::ImMessage>();
    QVERIFY2(m_engine.start(), qPrintable(m_engine.errorString()));
    XmppAdmin admin(m_engine.apiUrl(), m_engine.domain(), m_engine.apiSecret());
    m_tokens = std::make_unique<ImTokenIssuer>(m_engine.jwtSecret(), m_engine.domain());
    QString why;
    for (const QString &user : {kTeacher, kStudent})
      QVERIFY2(admin.seat(kRoom, kTeacher, user, &why), qPrintable(why));
    m_relay = std::make_unique<LoopbackProxy>(m_engine.c2sPort());
  }

  void cleanup() { m_relay->setFrozen(false); }

  // A catch-up and the live stream overlap: what the archive and the stream both bring is
  // handed on once, in archive order, after the last id already taken; a failed catch-up
  // forgets what it held, so that the next one brings it again.
  void aComebackHandsOnEachMessageOnceInArchiveOrder() {
    xmppim::Inbox inbox;
    QCOMPARE(lines(inbox.arrive({QStringLiteral("room"), QStringLiteral("100"), true, arrived(QStringLiteral("a"))})),
             QStringList{QStringLiteral("a")});
    QVERIFY(inbox.arrive({QStringLiteral("room"), QStringLiteral("100"), true, arrived(QStringLiteral("a"))}).isEmpty());
    inbox.hold();
    QVERIFY(inbox.arrive({QStringLiteral("room"), QStringLiteral("300"), true, arrived(QStringLiteral("c"))}).isEmpty());
    inbox.discard();
    QCOMPARE(inbox.lastId(QStringLiteral("room")), QStringLiteral("100"));
    inbox.hold();
    inbox.arrive({QStringLiteral("room"), QStringLiteral("400"), true, arrived(QStringLiteral("d"))}); // live, early
    inbox.arrive({QStringLiteral("room"), QStringLiteral("100"), true, arrived(QStringLiteral("a"))}); // seen
    inbox.arrive({QStringLiteral("room"), QStringLiteral("200"), false, arrived(QStringLiteral("own"))});
    // Before the room's members were known, then again from the archive.
    inbox.arrive({QStringLiteral("me"), QStringLiteral("250"), false, arrived(QStringLiteral("direct"), QStringLiteral("me"))});
    inbox.arrive({QStringLiteral("me"), QStringLiteral("250"), true, arrived(QStringLiteral("direct"), QStringLiteral("me"))});
    inbox.arrive({QStringLiteral("room"), QStringLiteral("300"), true, arrived(QStringLiteral("c"))});
    inbox.arrive({QStringLiteral("room"), QStringLiteral("400"), true, arrived(QStringLiteral("d"))}); // archived
    QCOMPARE(lines(inbox.release()), (QStringList{QStringLiteral("direct"), QStringLiteral("c"), QStringLiteral("d")}));
    QCOMPARE(inbox.lastId(QStringLiteral("room")), QStringLiteral("400"));
    QVERIFY(inbox.arrive({QStringLiteral("room"), QStringLiteral("400"), true, arrived(QStringLiteral("d"))}).isEmpty());
  }

  // Three seconds away: the teacher's group and one-to-one messages from during the cut arrive
  // once and in order; the student's messages from before the cut, taken by the server, are
  // not sent again; a message sent after the comeback reaches each side once.
  void aCutIsCaughtUpOnceAndInOrder() {
    auto t = teacher();
    auto s = student();
    QVERIFY(t && s);
    QCOMPARE(s->send(QString(), QStringLiteral("学生断线前")), 0);
    QCOMPARE(s->send(kTeacher, QStringLiteral("学生私信断线前")), 0);
    QCOMPARE(t->send(QString(), QStringLiteral("断线前")), 0);
    QTRY_COMPARE_WITH_TIMEOUT(s->texts(), QStringList{QStringLiteral("断线前")}, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(t->received->count(), 2, kWaitMs);

    cutStudent(*s);
    QCOMPARE(s->send(QString(), QStringLiteral("送不出")), int(hubproto::ClientConnectionLost));
    QCOMPARE(t->send(QString(), QStringLiteral("断线中一")), 0);
    QCOMPARE(t->send(kStudent, QStringLiteral("私信断线中")), 0);
    QCOMPARE(t->send(QString(), QStringLiteral("断线中二")), 0);
    QTest::qWait(kCutMs);
    QCOMPARE(s->received->count(), 1);
    m_relay->setFrozen(false);
    QVERIFY(s->comeBack());

    const QStringList expected{QStringLiteral("断线前"), QStringLiteral("断线中一"), QStringLiteral("私信断线中"),
                               QStringLiteral("断线中二")};
    QTRY_COMPARE_WITH_TIMEOUT(s->texts(), expected, kWaitMs);
    QCOMPARE(s->send(QString(), QStringLiteral("学生断线后")), 0);
    QCOMPARE(t->send(QString(), QStringLiteral("断线后")), 0);
    QTRY_COMPARE_WITH_TIMEOUT(s->texts(), expected + QStringList{QStringLiteral("断线后")}, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(t->received->count(), 3, kWaitMs);
    QTest::qWait(500);
    QCOMPARE(t->texts(Conversation::Group), (QStringList{QStringLiteral("学生断线前"), QStringLiteral("学生断线后")}));
    QCOMPARE(t->texts(Conversation::C2C), QStringList{QStringLiteral("学生私信断线前")});
    QCOMPARE(s->received->count(), 5);
    QCOMPARE(s->kicked->count(), 0);
  }

  // Messages handed to a link that no longer passes anything on, then cut: once back, they go
  // to the room and to the teacher once each, in the order sent.
  void messagesCutOnTheirWayGoOnceWhenBack() {
    auto t = teacher();
    auto s = student();
    QVERIFY(t && s);
    m_relay->setFrozen(true);
    QCOMPARE(s->send(QString(), QStringLiteral("路上一")), 0);
    QCOMPARE(s->send(kTeacher, QStringLiteral("路上私信")), 0);
    QCOMPARE(s->send(QString(), QStringLiteral("路上二")), 0);
    QTest::qWait(300);
    m_relay->cutAll();
    QTRY_COMPARE_WITH_TIMEOUT(s->lost->count(), 1, kWaitMs);
    QCOMPARE(t->received->count(), 0);
    m_relay->setFrozen(false);
    QVERIFY(s->comeBack());
    QTRY_COMPARE_WITH_TIMEOUT(t->received->count(), 3, kWaitMs);
    QTest::qWait(1000);
    QCOMPARE(t->texts(Conversation::Group), (QStringList{QStringLiteral("路上一"), QStringLiteral("路上二")}));
    QCOMPARE(t->texts(Conversation::C2C), QStringList{QStringLiteral("路上私信")});
  }

  // The server's operator ends the student's session: that is no second sign-in, and the
  // student comes back with what was said meanwhile.
  void aServerKickIsRiddenOut() {
    auto t = teacher();
    auto s = student();
    QVERIFY(t && s);
    QVERIFY(kick(kStudent));
    QTRY_COMPARE_WITH_TIMEOUT(s->lost->count(), 1, kWaitMs);
    QCOMPARE(t->send(QString(), QStringLiteral("踢出后")), 0);
    QVERIFY(s->comeBack());
    QTRY_COMPARE_WITH_TIMEOUT(s->texts(), QStringList{QStringLiteral("踢出后")}, kWaitMs);
    QCOMPARE(s->kicked->count(), 0);
  }

  // Last: the server restarts under both; each comes back once it is up, and the class talks on.
  void aServerRestartIsRiddenOut() {
    auto t = teacher();
    auto s = student();
    QVERIFY(t && s);
    QVERIFY2(m_engine.restart(), qPrintable(m_engine.errorString()));
    QTRY_COMPARE_WITH_TIMEOUT(s->lost->count(), 1, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(t->lost->count(), 1, kWaitMs);
    QVERIFY(t->comeBack());
    QVERIFY(s->comeBack());
    QCOMPARE(t->send(QString(), QStringLiteral("重启后")), 0);
    QCOMPARE(s->send(kTeacher, QStringLiteral("学生重启后")), 0);
    QTRY_COMPARE_WITH_TIMEOUT(s->texts(), QStringList{QStringLiteral("重启后")}, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(t->texts(), QStringList{QStringLiteral("学生重启后")}, kWaitMs);
    QCOMPARE(s->kicked->count() + t->kicked->count(), 0);
  }
};

QTEST_GUILESS_MAIN(TestXmppResume)
#include "test_xmppresume.moc"
