// The service's stores and request decoding, driven directly with a clock the test moves.

#include "protocol/roomgrant.h"
#include "service/accountstore.h"
#include "service/credentialissuer.h"
#include "service/formparams.h"
#include "service/portalroutes.h"
#include "service/roomstore.h"
#include "service/seeddata.h"
#include "service/signer.h"
#include "service/webassets.h"

#include <QTest>

namespace {

Account account(const QString &id, const QString &phone, const QString &name = QStringLiteral("学生")) {
  Account a;
  a.userId = id;
  a.phone = phone;
  a.password = QStringLiteral("secret1");
  a.name = name;
  return a;
}

ClassRoom classRoom(quint32 roomId, const QString &teacher) {
  ClassRoom c;
  c.id = QStringLiteral("L%1").arg(roomId);
  c.roomId = roomId;
  c.teacherId = teacher;
  c.lineType = QStringLiteral("normal");
  return c;
}

} // namespace

class TestServiceState : public QObject {
  Q_OBJECT
  qint64 m_now = 1700000000000;
  ServiceClock clock() {
    return [this] { return m_now; };
  }

private slots:
  void init() { m_now = 1700000000000; }

  void formDecodingKeepsWhatTheClientSends() {
    // The client sends values unencoded; browsers encode. Both must arrive intact.
    const FormParams raw = FormParams::parse(QByteArrayLiteral("name=张三&roomId=300101&device=PC2.0_510208_bgp"));
    QCOMPARE(raw.value(QStringLiteral("name")), QStringLiteral("张三"));
    QCOMPARE(raw.value(QStringLiteral("device")), QStringLiteral("PC2.0_510208_bgp"));
    const FormParams encoded = FormParams::parse(QByteArrayLiteral("name=%E5%BC%A0+%E4%B8%89&pw=a%2Bb%26c"));
    QCOMPARE(encoded.value(QStringLiteral("name")), QStringLiteral("张 三"));
    QCOMPARE(encoded.value(QStringLiteral("pw")), QStringLiteral("a+b&c"));
  }

  void formDecodingSurvivesBrokenInput() {
    const FormParams p = FormParams::parse(QByteArrayLiteral("a=%ZZ%4&=orphan&&b&c=1=2&%FF%FE=x"));
    QCOMPARE(p.value(QStringLiteral("a")), QStringLiteral("%ZZ%4"));
    QVERIFY(p.has(QStringLiteral("b")));
    QCOMPARE(p.value(QStringLiteral("b")), QString());
    QCOMPARE(p.value(QStringLiteral("c")), QStringLiteral("1=2"));
    QVERIFY(!p.has(QString()));
    // Body wins over the address's query.
    const FormParams both = FormParams::parse(QByteArrayLiteral("k=body"), QByteArrayLiteral("k=query&q=1"));
    QCOMPARE(both.value(QStringLiteral("k")), QStringLiteral("body"));
    QCOMPARE(both.value(QStringLiteral("q")), QStringLiteral("1"));
  }

  void numbersAndMissingKeys() {
    const FormParams p = FormParams::parse(QByteArrayLiteral("roomId=300101&neg=-1&big=99999999999&txt=12a&sp= 7 &empty="));
    quint32 n = 0;
    QVERIFY(p.toUInt(QStringLiteral("roomId"), &n));
    QCOMPARE(n, 300101u);
    QVERIFY(!p.toUInt(QStringLiteral("neg"), &n));
    QVERIFY(!p.toUInt(QStringLiteral("big"), &n));
    QVERIFY(!p.toUInt(QStringLiteral("txt"), &n));
    QVERIFY(p.toUInt(QStringLiteral("sp"), &n));
    QCOMPARE(n, 7u);
    QCOMPARE(p.firstMissing({QStringLiteral("roomId"), QStringLiteral("empty"), QStringLiteral("none")}),
             QStringLiteral("empty"));
    QCOMPARE(p.firstMissing({QStringLiteral("roomId")}), QString());
  }

  void tokensIdentifyTheirAccount() {
    AccountStore store({account(QStringLiteral("s1"), QStringLiteral("13800000001")),
                        account(QStringLiteral("s2"), QStringLiteral("13800000002"))},
                       clock());
    const QString t1 = store.issueToken(QStringLiteral("s1"));
    const QString t1b = store.issueToken(QStringLiteral("s1"));
    const QString t2 = store.issueToken(QStringLiteral("s2"));
    QVERIFY(t1 != t1b);
    QCOMPARE(store.byToken(t1)->userId, QStringLiteral("s1"));
    QCOMPARE(store.byToken(t1b)->userId, QStringLiteral("s1"));
    QCOMPARE(store.byToken(t2)->userId, QStringLiteral("s2"));
    QVERIFY(!store.byToken(QString()));
    QVERIFY(!store.byToken(t1.left(31)));
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(t1).hasMatch());
  }

  void signInCodesHaveIntervalLifetimeAndOneUse() {
    const QString phone = QStringLiteral("13800000001");
    AccountStore store({account(QStringLiteral("s1"), phone)}, clock());
    QCOMPARE(store.secondsUntilNextCode(phone), 0);
    const QString code = store.issueCode(phone);
    QCOMPARE(code.size(), 6);
    m_now += 20 * 1000;
    QCOMPARE(store.secondsUntilNextCode(phone), 40);
    QVERIFY(store.consumeCode(phone, code));
    QVERIFY(!store.consumeCode(phone, code)); // used up
    // Signing in does not reopen the resend window.
    QCOMPARE(store.secondsUntilNextCode(phone), 40);
    m_now += 40 * 1000;
    QCOMPARE(store.secondsUntilNextCode(phone), 0);

    const QString late = store.issueCode(phone);
    m_now += AccountStore::CodeLifetimeMs + 1;
    QVERIFY(!store.consumeCode(phone, late));
    QVERIFY(!store.consumeCode(QStringLiteral("13800000009"), late));
  }

  void guessingVoidsTheCode() {
    const QString phone = QStringLiteral("13800000001");
    AccountStore store({account(QStringLiteral("s1"), phone)}, clock());
    const QString code = store.issueCode(phone);
    const QString wrong = code == QLatin1String("000000") ? QStringLiteral("111111") : QStringLiteral("000000");
    for (int i = 0; i < AccountStore::CodeMaxFailures; ++i) QVERIFY(!store.consumeCode(phone, wrong));
    QVERIFY(!store.consumeCode(phone, code));
  }

  void goldIsSpentOnlyWhenItSuffices() {
    Account a = account(QStringLiteral("s1"), QStringLiteral("13800000001"));
    a.gold = 100;
    AccountStore store({a}, clock());
    int balance = -1;
    QVERIFY(store.spendGold(QStringLiteral("s1"), 60, &balance));
    QCOMPARE(balance, 40);
    QVERIFY(!store.spendGold(QStringLiteral("s1"), 41, &balance));
    QCOMPARE(balance, 40);
    QVERIFY(!store.spendGold(QStringLiteral("s1"), -5, &balance));
    QCOMPARE(store.byId(QStringLiteral("s1"))->gold, 40);
  }

  void rosterOrderRolesAndOffline() {
    RoomStore rooms({classRoom(1, QStringLiteral("t1"))}, clock(), 35000);
    const Account s1 = account(QStringLiteral("s1"), QStringLiteral("1"), QStringLiteral("甲"));
    const Account s2 = account(QStringLiteral("s2"), QStringLiteral("2"), QStringLiteral("乙"));
    const Account t1 = account(QStringLiteral("t1"), QStringLiteral("3"), QStringLiteral("周老师"));
    QVERIFY(rooms.enter(1, s1, {QStringLiteral("PC2.0_510208_normal"), QStringLiteral("0"), false}));
    QVERIFY(rooms.enter(1, s2, {QStringLiteral("PC2.0_510208_normal"), QStringLiteral("1"), false}));
    QVERIFY(!rooms.teacherInRoom(1));
    QVERIFY(rooms.enter(1, t1, {QStringLiteral("teacher"), QStringLiteral("0"), false}));
    QVERIFY(!rooms.enter(1, s1, {QString(), QStringLiteral("2"), true})); // already listed

    const QList<Member> list = rooms.roster(1);
    QCOMPARE(list.size(), 3);
    QCOMPARE(list.at(0).uid, QStringLiteral("t1"));
    QCOMPARE(list.at(0).role, QStringLiteral("1")); // the class's teacher, whatever was sent
    QCOMPARE(list.at(1).uid, QStringLiteral("s1"));
    QCOMPARE(list.at(1).role, QStringLiteral("2"));
    QVERIFY(list.at(1).up);
    QCOMPARE(list.at(1).device, QStringLiteral("PC2.0_510208_normal")); // empty device keeps the old one
    QCOMPARE(list.at(2).role, QStringLiteral("0"));                     // a student cannot claim "1"
    QVERIFY(list.at(0).sort < list.at(1).sort && list.at(1).sort < list.at(2).sort);
    QVERIFY(rooms.teacherInRoom(1));
    QCOMPARE(rooms.onlineCount(1), 3);

    m_now += 30000;
    rooms.heartbeat(1, s1, {QString(), QStringLiteral("0"), false});
    m_now += 6000; // t1 and s2 silent for 36 s
    QVERIFY(!rooms.teacherInRoom(1));
    QCOMPARE(rooms.onlineCount(1), 1);
    QVERIFY(rooms.member(1, QStringLiteral("s1"))->online);
    QVERIFY(!rooms.member(1, QStringLiteral("s2"))->online);
    QVERIFY(!rooms.roster(1).at(0).online);
  }

  void exitNotifyIdsAndUnknownRooms() {
    RoomStore rooms({classRoom(1, QStringLiteral("t1"))}, clock());
    const Account s1 = account(QStringLiteral("s1"), QStringLiteral("1"));
    const quint64 start = rooms.notifyId(1);
    rooms.enter(1, s1, {QStringLiteral("d"), QStringLiteral("0"), false});
    const quint64 entered = rooms.notifyId(1);
    QVERIFY(entered > start);
    rooms.heartbeat(1, s1, {QStringLiteral("d"), QStringLiteral("0"), false});
    QCOMPARE(rooms.notifyId(1), entered); // nothing changed
    rooms.heartbeat(1, s1, {QStringLiteral("d"), QStringLiteral("2"), true});
    QVERIFY(rooms.notifyId(1) > entered);
    const quint64 onStage = rooms.notifyId(1);
    QVERIFY(rooms.exit(1, QStringLiteral("s1")));
    QVERIFY(rooms.notifyId(1) > onStage);
    QVERIFY(!rooms.exit(1, QStringLiteral("s1")));
    QVERIFY(rooms.roster(1).isEmpty());
    // A room that does not exist takes nobody.
    QVERIFY(!rooms.enter(99, s1, {}));
    QVERIFY(rooms.roster(99).isEmpty());
    QVERIFY(!rooms.teacherInRoom(99));
  }

  void hubMembershipKeepsMembersOnline() {
    RoomStore rooms({classRoom(1, QStringLiteral("t1"))}, clock(), 35000);
    const Account t1 = account(QStringLiteral("t1"), QStringLiteral("3"), QStringLiteral("周老师"));
    rooms.setHubPresence(1, t1, true);
    QVERIFY(rooms.teacherInRoom(1));
    m_now += 10 * 60 * 1000; // no heartbeats at all: the hub still sees the teacher
    QVERIFY(rooms.teacherInRoom(1));
    rooms.setHubPresence(1, t1, false);
    QVERIFY(!rooms.teacherInRoom(1));
    QCOMPARE(rooms.roster(1).size(), 1); // listed as offline until an exit
    rooms.setHubPresence(2, t1, true);   // unknown room: ignored
    QVERIFY(rooms.roster(2).isEmpty());
  }

  // A class lost to a cut link never says "exit": three missed beats take the member off the
  // list and the count, and the roster's notify id tells the class; the hub's group keeps a
  // member in whatever its heartbeats say.
  void silentMembersAreDropped() {
    RoomStore rooms({classRoom(1, QStringLiteral("t1"))}, clock());
    const Account s1 = account(QStringLiteral("s1"), QStringLiteral("1"));
    const Account s2 = account(QStringLiteral("s2"), QStringLiteral("2"));
    const Account t1 = account(QStringLiteral("t1"), QStringLiteral("3"));
    rooms.enter(1, s1, {QStringLiteral("d"), QStringLiteral("0"), false});
    rooms.enter(1, s2, {QStringLiteral("d"), QStringLiteral("0"), false});
    rooms.setHubPresence(1, t1, true);
    rooms.setHubPresence(1, s2, true);
    QCOMPARE(rooms.dropSilent(), 0);
    m_now += RoomStore::HeartbeatIntervalMs * (RoomStore::MissedBeats - 1);
    rooms.heartbeat(1, s1, {QStringLiteral("d"), QStringLiteral("0"), false});
    rooms.setHubPresence(1, s2, false); // its link broke; it beats no more
    m_now += RoomStore::HeartbeatIntervalMs;
    QCOMPARE(rooms.dropSilent(), 0); // two missed beats are not yet three
    QCOMPARE(rooms.onlineCount(1), 3);
    m_now += RoomStore::HeartbeatIntervalMs + 1;
    const quint64 before = rooms.notifyId(1);
    QCOMPARE(rooms.dropSilent(), 1);
    QVERIFY(rooms.notifyId(1) > before);
    QCOMPARE(rooms.onlineCount(1), 2);
    QVERIFY(!rooms.member(1, QStringLiteral("s2")));
    QVERIFY(rooms.member(1, QStringLiteral("s1")));
    QVERIFY(rooms.teacherInRoom(1)); // never beat, but in the hub's group
    QCOMPARE(rooms.dropSilent(), 0);
    QCOMPARE(rooms.notifyId(1), before + 1);
  }

  void seedIsCheckedBeforeUse() {
    SeedData s;
    QString error;
    QVERIFY(!SeedData::parse("[1,2]", &s, &error));
    QVERIFY(!SeedData::parse("{\"students\":[{\"userId\":\"a\",\"phone\":\"1\"}]}", &s, &error)); // no password
    QVERIFY(!SeedData::parse("{\"students\":[{\"userId\":\"a\",\"phone\":\"1\",\"password\":\"p\"},"
                             "{\"userId\":\"b\",\"phone\":\"1\",\"password\":\"p\"}]}",
                             &s, &error));
    QVERIFY(error.contains(QStringLiteral("duplicate")));
    const QByteArray teacher = "\"teachers\":[{\"userId\":\"t\",\"phone\":\"9\",\"password\":\"p\"}]";
    QVERIFY(!SeedData::parse("{" + teacher + ",\"classes\":[{\"roomId\":5,\"teacherId\":\"x\"}]}", &s, &error));
    QVERIFY(!SeedData::parse("{" + teacher + ",\"classes\":[{\"roomId\":5,\"teacherId\":\"t\",\"lineType\":\"fast\"}]}",
                             &s, &error));
    QVERIFY(!SeedData::parse("{" + teacher + ",\"classes\":[{\"roomId\":0,\"teacherId\":\"t\"}]}", &s, &error));
    QVERIFY(SeedData::parse("{" + teacher + ",\"classes\":[{\"roomId\":5,\"teacherId\":\"t\"}]}", &s, &error));
    QCOMPARE(s.classes.at(0).lineType, QStringLiteral("normal"));
    QVERIFY(s.accounts.at(0).teacher);
  }

  void shippedSeedHasTheClassesThePortalNeeds() {
    SeedData s;
    QString error;
    QVERIFY2(SeedData::load(QStringLiteral(TARNWICK_SOURCE_SEED), &s, &error), qPrintable(error));
    int teachers = 0;
    for (const Account &a : s.accounts) teachers += a.teacher;
    QCOMPARE(teachers, 1);
    QVERIFY(s.accounts.size() >= 4);
    QCOMPARE(s.classes.size(), 2);
    QStringList lines;
    for (const ClassRoom &c : s.classes) lines << c.lineType;
    lines.sort();
    QCOMPARE(lines, QStringList({QStringLiteral("bgp"), QStringLiteral("normal")}));
  }

  void assetPathsStayInsideTheRoot() {
    for (const char *bad : {"", "/etc/passwd", "../seed.json", "a/../../b", "a//b", "./x", "a\\b", "c:x", "a/."})
      QVERIFY2(!WebAssets::isSafePath(QString::fromLatin1(bad)), bad);
    QVERIFY(WebAssets::isSafePath(QStringLiteral("portal/live.html")));
    QVERIFY(WebAssets::isSafePath(QStringLiteral("assets/css/tarnwick.css")));
    const WebAssets assets(QStringLiteral(TARNWICK_SOURCE_WEB));
    QVERIFY(assets.read(QStringLiteral("login.html")).has_value());
    QVERIFY(!assets.read(QStringLiteral("portal")).has_value()); // a folder
    QVERIFY(!assets.read(QStringLiteral("../service/seed.json")).has_value());
    QCOMPARE(WebAssets::contentType(QStringLiteral("a/b.JS")), QByteArray("application/javascript; charset=utf-8"));
    QCOMPARE(WebAssets::contentType(QStringLiteral("x.bin")), QByteArray("application/octet-stream"));
  }

  void classNameRules() {
    QCOMPARE(PortalRoutes::nameProblem(QString()), QStringLiteral("姓名不可以为空！"));
    QCOMPARE(PortalRoutes::nameProblem(QStringLiteral("2班张三")), QStringLiteral("姓名不能以数字开头！"));
    QCOMPARE(PortalRoutes::nameProblem(QStringLiteral("张三2")), QString());
    QCOMPARE(PortalRoutes::nameProblem(QString(20, QChar(0x5F20))), QString());
    QCOMPARE(PortalRoutes::nameProblem(QString(21, QChar(0x5F20))), QStringLiteral("姓名长度不能超过 20 个字符！"));
    for (const char *bad : {"张 三", "张\t三", "a.b", "a|b", "a\\b", "a\"b", "a`b", "a;b"})
      QCOMPARE(PortalRoutes::nameProblem(QString::fromUtf8(bad)), QStringLiteral("姓名中不能包含特殊字符！"));
    QCOMPARE(PortalRoutes::nameProblem(QStringLiteral("张-三")), QString());
    QCOMPARE(PortalRoutes::nameProblem(QStringLiteral("张_三")), QString());
  }

  void issuedCredentialsExpireAndCannotBeAltered() {
    const Signer signer("k1");
    const CredentialIssuer issuer(signer, clock());
    const qint64 now = m_now / 1000;
    const QString upload = issuer.uploadSignature(QStringLiteral("public"), QStringLiteral("s1"), now + 600);
    QString user;
    QVERIFY(issuer.checkUploadSignature(upload, QStringLiteral("public"), &user));
    QCOMPARE(user, QStringLiteral("s1"));
    QString forged = upload;
    forged.replace(QStringLiteral(":s1:"), QStringLiteral(":s2:"));
    QVERIFY(!issuer.checkUploadSignature(forged, QStringLiteral("public"), &user));
    QVERIFY(!issuer.checkUploadSignature(QStringLiteral("v1:public:s1"), QStringLiteral("public"), &user));
    const QString buffer = issuer.authBuffer(7, QStringLiteral("s1"), QStringLiteral("Guest"));
    auto grantCheck = [&](const QString &text) {
      return roomgrant::verify(signer.secret(), text, QStringLiteral("s1"), 7, m_now / 1000);
    };
    QCOMPARE(grantCheck(buffer), roomgrant::Check::Ok);
    QCOMPARE(grantCheck(QStringLiteral("not base64 at all")), roomgrant::Check::Forged);
    m_now += 601 * 1000;
    QVERIFY(!issuer.checkUploadSignature(upload, QStringLiteral("public"), &user));
    QCOMPARE(grantCheck(buffer), roomgrant::Check::Ok); // good for a day
    m_now += CredentialIssuer::UserSigLifetimeS * 1000;
    QCOMPARE(grantCheck(buffer), roomgrant::Check::Expired);
  }

  void signaturesBindEveryPart() {
    const Signer signer("k1");
    const QString sig = signer.sign({QStringLiteral("a"), QStringLiteral("bc")});
    QVERIFY(signer.verify({QStringLiteral("a"), QStringLiteral("bc")}, sig));
    QVERIFY(!signer.verify({QStringLiteral("ab"), QStringLiteral("c")}, sig));
    QVERIFY(!Signer("k2").verify({QStringLiteral("a"), QStringLiteral("bc")}, sig));
    QVERIFY(!signer.verify({QStringLiteral("a"), QStringLiteral("bc")}, sig.left(10)));
    QVERIFY(Signer::randomSecret() != Signer::randomSecret());
  }
};

QTEST_GUILESS_MAIN(TestServiceState)
#include "test_service_state.moc"
