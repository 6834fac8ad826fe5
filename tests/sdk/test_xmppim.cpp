// IM over a real ejabberd (started once for the program by scripts/engines.sh): sign-in with
// the service's tokens, the class room and its rights, messages both ways with server time,
// the sender checks, the conflict kick and a server going away.
#include "sdk/net/xmpp/xmppimtransport.h"
#include "service/imtokenissuer.h"
#include "service/xmppadmin.h"
#include "support/ejabberdengine.h"
#include "support/rawxmppmember.h"

#include "protocol/classcommandcode.h"
#include "protocol/messagerights.h"
#include "protocol/protocol.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using hubproto::Conversation;
using hubproto::Element;
using sdk::XmppImTransport;

namespace {
constexpr quint32 kRoom = 700101;
const QString kTeacher = QStringLiteral("t1");
const QString kStudent = QStringLiteral("s1");
const QString kClassmate = QStringLiteral("s2");
const QString kStranger = QStringLiteral("x9"); // has an account, but no seat in the room
constexpr int kWaitMs = 10000;

struct Answer {
  bool done = false;
  int code = -1;
  QString desc;
  sdk::ImTransport::Done fn() {
    return [this](int c, const QString &d) {
      done = true;
      code = c;
      desc = d;
    };
  }
};

Element text(const QString &t) {
  Element e;
  e.kind = Element::Text;
  e.text = t;
  return e;
}

QByteArray teacherLeaves() {
  return QByteArray("{\"userAction\":") + QByteArray::number(toWire(ClassCommandCode::TeacherLeaves)) + "}";
}

Element custom(const QByteArray &data, const QString &ext) {
  Element e;
  e.kind = Element::Custom;
  e.data = data;
  e.ext = ext;
  return e;
}

// One signed-in user with what it received.
struct Peer {
  std::unique_ptr<XmppImTransport> im;
  std::unique_ptr<QSignalSpy> received;
  std::unique_ptr<QSignalSpy> kicked;
  std::unique_ptr<QSignalSpy> lost;

  hubproto::ImMessage message(int i) const { return received->at(i).at(0).value<hubproto::ImMessage>(); }
};
} // namespace

Q_DECLARE_METATYPE(hubproto::ImMessage)

class TestXmppIm : public QObject {
  Q_OBJECT

  EjabberdEngine m_engine;
  std::unique_ptr<XmppAdmin> m_admin;
  std::unique_ptr<ImTokenIssuer> m_tokens;

  sdk::XmppAddress address() const {
    sdk::XmppAddress a;
    const bool parsed = sdk::XmppAddress::parse(m_engine.xmppUrl(), &a);
    Q_ASSERT(parsed);
    return a;
  }

  std::unique_ptr<Peer> connectAs(const QString &userId, const QString &token, Answer *answer) {
    auto p = std::make_unique<Peer>();
    p->im = std::make_unique<XmppImTransport>(address(), token);
    p->received = std::make_unique<QSignalSpy>(p->im.get(), &sdk::ImTransport::received);
    p->kicked = std::make_unique<QSignalSpy>(p->im.get(), &sdk::ImTransport::forcedOffline);
    p->lost = std::make_unique<QSignalSpy>(p->im.get(), &sdk::ImTransport::connectionLost);
    p->im->signIn(userId, answer->fn());
    [&] { QTRY_VERIFY_WITH_TIMEOUT(answer->done, kWaitMs); }();
    return p;
  }

  // Signed in and in the class room.
  std::unique_ptr<Peer> seated(const QString &userId) {
    Answer signedIn;
    auto p = connectAs(userId, m_tokens->token(userId), &signedIn);
    if (signedIn.code != 0)
      return nullptr;
    Answer joined;
    p->im->joinRoom(kRoom, joined.fn());
    [&] { QTRY_VERIFY_WITH_TIMEOUT(joined.done, kWaitMs); }();
    return joined.code == 0 ? std::move(p) : nullptr;
  }

  static int send(Peer &from, const Conversation &conv, const QVector<Element> &elems, const QString *ext = nullptr) {
    Answer sent;
    from.im->send(conv, elems, ext, sent.fn());
    return sent.code;
  }

private slots:
  void initTestCase() {
    qRegisterMetaType<hubproto::ImMessage>();
    QVERIFY2(m_engine.start(), qPrintable(m_engine.errorString()));
    m_admin = std::make_unique<XmppAdmin>(m_engine.apiUrl(), m_engine.domain(), m_engine.apiSecret());
    m_tokens = std::make_unique<ImTokenIssuer>(m_engine.jwtSecret(), m_engine.domain());
    QString why;
    for (const QString &user : {kTeacher, kStudent, kClassmate})
      QVERIFY2(m_admin->seat(kRoom, kTeacher, user, &why), qPrintable(why));
    QVERIFY2(m_admin->seat(kRoom + 1, kTeacher, kStranger, &why), qPrintable(why));
  }

  void addressesParse() {
    sdk::XmppAddress a;
    QVERIFY(sdk::XmppAddress::parse(QStringLiteral("xmpp://127.0.0.1:5222/school.example"), &a));
    QCOMPARE(a.host, QStringLiteral("127.0.0.1"));
    QCOMPARE(a.port, quint16(5222));
    QCOMPARE(a.domain, QStringLiteral("school.example"));
    QVERIFY(!sdk::XmppAddress::parse(QStringLiteral("ws://127.0.0.1:5222/school.example"), &a));
    QVERIFY(!sdk::XmppAddress::parse(QStringLiteral("xmpp://127.0.0.1/school.example"), &a));
    QVERIFY(!sdk::XmppAddress::parse(QStringLiteral("xmpp://127.0.0.1:5222/"), &a));
  }

  void tokensThatAreNotTheServiceAreRefused() {
    ImTokenIssuer forger("another-key", m_engine.domain());
    Answer forged;
    connectAs(kStudent, forger.token(kStudent), &forged);
    QCOMPARE(forged.code, int(hubproto::SigInvalid));

    ImTokenIssuer past(m_engine.jwtSecret(), m_engine.domain(),
                       [] { return QDateTime::currentMSecsSinceEpoch() - 2 * ImTokenIssuer::LifetimeS * 1000; });
    Answer expired;
    connectAs(kStudent, past.token(kStudent), &expired);
    QCOMPARE(expired.code, int(hubproto::SigInvalid));

    // A genuine token for someone else does not sign this user in.
    Answer otherUser;
    connectAs(kStudent, m_tokens->token(kClassmate), &otherUser);
    QCOMPARE(otherUser.code, int(hubproto::SigInvalid));

    Answer good;
    auto p = connectAs(kStudent, m_tokens->token(kStudent), &good);
    QCOMPARE(good.code, 0);
  }

  // The live session counts on every sign-in and join being answered, also when it drops the
  // transport halfway (kicked from the hub, released).
  void signingOutAnswersWhatWaits() {
    XmppImTransport im(address(), m_tokens->token(kStudent));
    Answer signedIn;
    im.signIn(kStudent, signedIn.fn());
    im.signOut();
    QVERIFY(signedIn.done);
    QCOMPARE(signedIn.code, int(hubproto::ClientConnectionLost));

    auto p = seated(kStudent);
    QVERIFY(p);
    Answer joined;
    p->im->joinRoom(kRoom + 3, joined.fn());
    p->im->signOut();
    QVERIFY(joined.done);
    QVERIFY(joined.code != 0);
  }

  void onlyMembersEnterTheRoom() {
    Answer signedIn;
    auto stranger = connectAs(kStranger, m_tokens->token(kStranger), &signedIn);
    QCOMPARE(signedIn.code, 0);
    Answer joined;
    stranger->im->joinRoom(kRoom, joined.fn());
    QTRY_VERIFY_WITH_TIMEOUT(joined.done, kWaitMs);
    QCOMPARE(joined.code, int(hubproto::NotAllowed));
    QCOMPARE(send(*stranger, Conversation{Conversation::Group, QString::number(kRoom)}, {text(QStringLiteral("hi"))}),
             int(hubproto::NotInRoom));
  }

  // The teacher's name taken as a nickname in the room, while the teacher is away: the
  // messages are still the classmate's, and a teacher's command among them counts for nothing.
  void aBorrowedNicknameIsNoDisguise() {
    auto student = seated(kStudent);
    QVERIFY(student);
    RawXmppMember classmate(m_engine.xmppUrl(), kClassmate, m_tokens->token(kClassmate));
    QVERIFY(classmate.enter(kRoom, kWaitMs, kTeacher));
    QVERIFY(classmate.send(QString(), {custom(teacherLeaves(), QStringLiteral("LiveNotification"))}));
    QVERIFY(classmate.send(QString(), {text(QStringLiteral("我是老师"))}));
    QTRY_COMPARE_WITH_TIMEOUT(student->received->count(), 1, kWaitMs);
    QCOMPARE(student->message(0).from, kClassmate);
    QCOMPARE(student->message(0).elems.at(0).text, QStringLiteral("我是老师"));
  }

  void groupMessagesCarryElementsSenderAndServerTime() {
    auto teacher = seated(kTeacher);
    auto student = seated(kStudent);
    QVERIFY(teacher && student);
    Element face;
    face.kind = Element::Face;
    face.faceIndex = 7;
    const QVector<Element> elems{text(QStringLiteral("第一行")), face,
                                 custom("{\"userAction\":2051}", QStringLiteral("LiveNotification"))};
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    QCOMPARE(send(*teacher, Conversation{Conversation::Group, QString::number(kRoom)}, elems), 0);
    QTRY_COMPARE_WITH_TIMEOUT(student->received->count(), 1, kWaitMs);
    const hubproto::ImMessage m = student->message(0);
    QCOMPARE(m.from, kTeacher);
    QCOMPARE(m.conv.type, Conversation::Group);
    QCOMPARE(m.conv.peer, QString::number(kRoom));
    QCOMPARE(m.elems, elems);
    QVERIFY(!m.hasOfflinePush);
    // Stamped by the server (its archive id), so within the send and now, not zero.
    QVERIFY2(m.timeMs >= before - 1000 && m.timeMs <= QDateTime::currentMSecsSinceEpoch() + 1000,
             qPrintable(QString::number(m.timeMs - before)));
    QCOMPARE(qint64(m.time), m.timeMs / 1000);
    // The teacher does not get its own message back.
    QTest::qWait(300);
    QCOMPARE(teacher->received->count(), 0);
    QCOMPARE(send(*teacher, Conversation{Conversation::Group, QString::number(kRoom + 5)}, elems),
             int(hubproto::NotInRoom));
  }

  // No hub stands between the members, so the transport keeps the hub's rules at both ends:
  // the student's own client refuses what the hub refuses (the teacher's commands, chat over
  // the cap), and what a modified client sends anyway is dropped on arrival. Board data
  // arrives with its real sender, for the classroom to judge by the stage grant.
  void whatTheHubRefusesAStudentDoesNotArrive() {
    auto teacher = seated(kTeacher);
    auto student = seated(kStudent);
    QVERIFY(teacher && student);
    const Conversation group{Conversation::Group, QString::number(kRoom)};
    const QString ext = QLatin1String(hubproto::kWhiteboardExt);
    const QVector<Element> leave{custom(teacherLeaves(), QStringLiteral("LiveNotification"))};
    const QVector<Element> longChat{text(QString(hubproto::kMaxChatTextBytes + 1, QLatin1Char('x')))};
    QCOMPARE(send(*student, group, leave), int(hubproto::TeacherOnly));
    QCOMPARE(send(*student, Conversation{Conversation::C2C, kTeacher}, leave), int(hubproto::TeacherOnly));
    QCOMPARE(send(*student, group, longChat), int(hubproto::TooLarge));

    RawXmppMember classmate(m_engine.xmppUrl(), kClassmate, m_tokens->token(kClassmate));
    QVERIFY(classmate.enter(kRoom, kWaitMs));
    QVERIFY(classmate.send(QString(), leave));
    QVERIFY(classmate.send(kStudent, leave));
    QVERIFY(classmate.send(QString(), longChat));
    QVERIFY(classmate.send(QString(), {custom(R"({"value":{"action":"clear"}})", ext)}, ext));
    QVERIFY(classmate.send(QString(), {text(QStringLiteral("still here"))}));
    QTRY_COMPARE_WITH_TIMEOUT(student->received->count(), 2, kWaitMs);
    QTest::qWait(300); // the one-to-one message takes another way through the server
    QCOMPARE(student->received->count(), 2);
    const hubproto::ImMessage board = student->message(0);
    QCOMPARE(board.from, kClassmate);
    QVERIFY(board.hasOfflinePush && board.offlinePushExt == ext);
    QCOMPARE(student->message(1).elems.at(0).text, QStringLiteral("still here"));

    // The room's owner is the teacher: its commands pass.
    QCOMPARE(send(*teacher, group, leave), 0);
    QTRY_COMPARE_WITH_TIMEOUT(student->received->count(), 3, kWaitMs);
    QCOMPARE(student->message(2).from, kTeacher);
    QCOMPARE(student->message(2).elems, leave);
  }

  // A client's own time stamps are no server time: a delay stamp years back and an archive id
  // in the room's (or the receiver's) name neither back-date a message nor put it before one
  // sent earlier, in the room or one to one.
  void forgedStampsAreNotServerTime() {
    auto student = seated(kStudent);
    QVERIFY(student);
    RawXmppMember classmate(m_engine.xmppUrl(), kClassmate, m_tokens->token(kClassmate));
    QVERIFY(classmate.enter(kRoom, kWaitMs));
    const QDateTime past = QDateTime::fromString(QStringLiteral("2005-01-01T00:00:00Z"), Qt::ISODate);
    const QString pastId = QString::number(past.toMSecsSinceEpoch() * 1000);
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    QVERIFY(classmate.send(QString(), {text(QStringLiteral("先说"))}));
    QVERIFY(classmate.send(QString(), {text(QStringLiteral("倒填"))}, QString(), {past, pastId, classmate.jidOf(QString())}));
    QVERIFY(classmate.send(kStudent, {text(QStringLiteral("私下倒填"))}, QString(),
                           {past, pastId, classmate.jidOf(kStudent)}));
    QTRY_COMPARE_WITH_TIMEOUT(student->received->count(), 3, kWaitMs);
    const qint64 after = QDateTime::currentMSecsSinceEpoch();
    QList<hubproto::ImMessage> group; // one-to-one messages take another way through the server
    for (int i = 0; i < 3; ++i) {
      const hubproto::ImMessage m = student->message(i);
      QVERIFY2(m.timeMs >= before - 1000 && m.timeMs <= after + 1000,
               qPrintable(QStringLiteral("%1: %2 ms off").arg(m.elems.at(0).text).arg(m.timeMs - before)));
      if (m.conv.type == Conversation::Group) group << m;
    }
    QCOMPARE(group.size(), 2);
    QCOMPARE(group.at(0).elems.at(0).text, QStringLiteral("先说"));
    QCOMPARE(group.at(1).elems.at(0).text, QStringLiteral("倒填"));
    QVERIFY(group.at(0).timeMs <= group.at(1).timeMs);
  }

  void oneToOneOnlyFromPeopleInTheRoom() {
    auto teacher = seated(kTeacher);
    auto student = seated(kStudent);
    QVERIFY(teacher && student);
    Answer signedIn;
    auto stranger = connectAs(kStranger, m_tokens->token(kStranger), &signedIn);
    QCOMPARE(signedIn.code, 0);
    QCOMPARE(send(*stranger, Conversation{Conversation::C2C, kTeacher}, {text(QStringLiteral("from outside"))}), 0);
    QCOMPARE(send(*student, Conversation{Conversation::C2C, kTeacher}, {custom("{}", QStringLiteral("LiveNotification"))}), 0);
    QTRY_COMPARE_WITH_TIMEOUT(teacher->received->count(), 1, kWaitMs);
    const hubproto::ImMessage m = teacher->message(0);
    QCOMPARE(m.from, kStudent);
    QCOMPARE(m.conv.type, Conversation::C2C);
    QCOMPARE(m.conv.peer, kStudent);
    QCOMPARE(m.elems.at(0).ext, QStringLiteral("LiveNotification"));
    QTest::qWait(300);
    QCOMPARE(teacher->received->count(), 1);
    QCOMPARE(send(*student, Conversation{Conversation::C2C, QStringLiteral("not@a/user")}, {text(QStringLiteral("x"))}),
             int(hubproto::BadArgument));
  }

  void aSecondSignInKicksTheFirst() {
    auto first = seated(kClassmate);
    QVERIFY(first);
    auto second = seated(kClassmate);
    QVERIFY(second);
    QTRY_COMPARE_WITH_TIMEOUT(first->kicked->count(), 1, kWaitMs);
    QCOMPARE(first->lost->count(), 0);
    QCOMPARE(send(*first, Conversation{Conversation::Group, QString::number(kRoom)}, {text(QStringLiteral("x"))}),
             int(hubproto::ClientNotLoggedIn));
    QTest::qWait(300);
    QCOMPARE(second->kicked->count(), 0);
    QCOMPARE(second->lost->count(), 0);
  }

  // Last: the server goes away under a seated user, then comes back for whoever follows.
  void aServerGoneIsAConnectionLoss() {
    auto student = seated(kStudent);
    QVERIFY(student);
    QVERIFY2(m_engine.stop(), qPrintable(m_engine.errorString()));
    QTRY_COMPARE_WITH_TIMEOUT(student->lost->count(), 1, kWaitMs);
    QCOMPARE(student->kicked->count(), 0);
    QVERIFY2(m_engine.start(), qPrintable(m_engine.errorString()));
    auto again = seated(kStudent);
    QVERIFY(again);
  }
};

QTEST_GUILESS_MAIN(TestXmppIm)
#include "test_xmppim.moc"
