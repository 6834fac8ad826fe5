// User signatures, the media frame codec and the IM element codec.
#include "protocol/immessage.h"
#include "protocol/mediaframe.h"
#include "protocol/usersig.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace hubproto;

class TestHubProtocol : public QObject {
  Q_OBJECT
private slots:
  void signatureAcceptsOnlyItsUserSecretAndTime() {
    const QByteArray secret("s3cret");
    const qint64 now = 1800000000;
    const QString sig = usersig::issue(secret, QStringLiteral("学生01"), now + 60);
    qint64 expiry = 0;
    QCOMPARE(usersig::verify(secret, QStringLiteral("学生01"), sig, now, &expiry), usersig::Check::Ok);
    QCOMPARE(expiry, now + 60);
    QCOMPARE(usersig::verify(secret, QStringLiteral("学生02"), sig, now), usersig::Check::BadSignature);
    QCOMPARE(usersig::verify("other", QStringLiteral("学生01"), sig, now), usersig::Check::BadSignature);
    QCOMPARE(usersig::verify(secret, QStringLiteral("学生01"), sig, now + 60), usersig::Check::Expired);
  }

  void signatureWithChangedExpiryOrShapeIsRefused() {
    const QByteArray secret("s3cret");
    const QString sig = usersig::issue(secret, QStringLiteral("u1"), 1800000000);
    QString later = sig;
    later.replace(QStringLiteral("1800000000"), QStringLiteral("1900000000"));
    QCOMPARE(usersig::verify(secret, QStringLiteral("u1"), later, 1700000000), usersig::Check::BadSignature);
    for (const QString &bad : {QString(), QStringLiteral("v1.."), QStringLiteral("v2.1800000000.x"),
                               QStringLiteral("v1.-5.abc"), QStringLiteral("v1.18e8.abc"),
                               sig + QStringLiteral(".x"), QString(300, QLatin1Char('a'))})
      QCOMPARE(usersig::verify(secret, QStringLiteral("u1"), bad, 1700000000), usersig::Check::Malformed);
  }

  void videoFrameRoundTripsWithOddSizes() {
    MediaFrame f = vp8Frame(Source::Screen, 33, 17, QByteArray(301, '\x11'), true, 0x01020304, 0xdeadbeef);
    f.rotation = 3;
    f.userId = QStringLiteral("老师").toUtf8();
    MediaFrame back;
    QString why;
    QVERIFY2(decodeFrame(encodeFrame(f), &back, &why), qPrintable(why));
    QCOMPARE(back.source, Source::Screen);
    QCOMPARE(back.format, MediaFrame::Vp8);
    QCOMPARE(back.width, quint16(33));
    QCOMPARE(back.height, quint16(17));
    QCOMPARE(back.rotation, quint8(3));
    QCOMPARE(back.timestamp, 0xdeadbeefu);
    QCOMPARE(back.sequence, 0x01020304u);
    QVERIFY(back.keyframe);
    QCOMPARE(back.userId, f.userId);
    QCOMPARE(back.payload, f.payload);
    f.keyframe = false;
    QVERIFY(decodeFrame(encodeFrame(f), &back, &why));
    QVERIFY(!back.keyframe);
  }

  void audioFrameRoundTrips() {
    const MediaFrame f = opusFrame(QByteArray(80, '\x01'), 7, 1234);
    MediaFrame back;
    QString why;
    QVERIFY2(decodeFrame(encodeFrame(f), &back, &why), qPrintable(why));
    QCOMPARE(back.format, MediaFrame::Opus);
    QCOMPARE(back.channels, quint16(1));
    QCOMPARE(back.sampleRate, 48000u);
    QCOMPARE(back.sequence, 7u);
    QCOMPARE(back.payload.size(), 80);
  }

  void malformedFramesAreRefused_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = encodeFrame(vp8Frame(Source::Camera, 4, 4, QByteArray(40, 'x'), true, 1, 2));
    auto patched = [](QByteArray b, int at, char value) {
      b[at] = value;
      return b;
    };
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("header only part") << good.left(10);
    QTest::newRow("magic") << patched(good, 0, 'X');
    QTest::newRow("version 1 frame") << patched(good, 4, 1);
    QTest::newRow("kind") << patched(good, 5, 9);
    QTest::newRow("source") << patched(good, 6, 7);
    QTest::newRow("raw I420") << patched(good, 7, MediaFrame::I420);
    QTest::newRow("format") << patched(good, 7, 9);
    QTest::newRow("zero width") << patched(good, 8, 0);
    QTest::newRow("rotation") << patched(good, 12, 4);
    QTest::newRow("id longer than frame") << patched(good, 13, char(200));
    QTest::newRow("unknown flag") << patched(good, 14, 3);
    QTest::newRow("reserved byte") << patched(good, 15, 1);
    QTest::newRow("no payload") << good.left(kFrameHeaderSize);
    const QByteArray voice = encodeFrame(opusFrame(QByteArray(80, 'x'), 1, 2));
    QTest::newRow("raw PCM") << patched(voice, 7, MediaFrame::PcmS16);
    QTest::newRow("voice as keyframe") << patched(voice, 14, MediaFrame::Keyframe);
    QTest::newRow("Opus not at 48 kHz") << patched(voice, 17, 0x3e); // 16000
    QTest::newRow("Opus longer than a packet") << encodeFrame(opusFrame(QByteArray(kMaxOpusPacket + 1, 'x'), 1, 2));
  }
  void malformedFramesAreRefused() {
    QFETCH(QByteArray, bytes);
    MediaFrame f;
    QString why;
    QVERIFY(!decodeFrame(bytes, &f, &why));
    QVERIFY(!why.isEmpty());
  }

  void randomBytesNeverDecodeOutOfBounds() {
    QRandomGenerator rng(4711);
    const QByteArray good = encodeFrame(vp8Frame(Source::Camera, 8, 6, QByteArray(50, 'x'), false, 3, 4));
    int accepted = 0;
    for (int round = 0; round < 20000; ++round) {
      QByteArray b = good.left(static_cast<int>(rng.bounded(good.size() + 8)));
      for (int flips = 0; flips < 3 && !b.isEmpty(); ++flips)
        b[static_cast<int>(rng.bounded(b.size()))] = static_cast<char>(rng.bounded(256));
      MediaFrame out;
      QString why;
      if (decodeFrame(b, &out, &why)) {
        ++accepted;
        QVERIFY(!out.payload.isEmpty());
        QVERIFY(out.format == MediaFrame::Vp8 || out.format == MediaFrame::Opus);
      }
    }
    QVERIFY(accepted < 20000);
  }

  void elementsRoundTripIncludingBinaryCustomData() {
    QVector<Element> elems(4);
    elems[0].kind = Element::Text;
    elems[0].text = QStringLiteral("你好 \"quoted\"");
    elems[1].kind = Element::Custom;
    elems[1].data = QByteArray("\xff\x00\x01 not utf-8", 13);
    elems[1].ext = QStringLiteral("TXWhiteBoardExt");
    elems[2].kind = Element::Face;
    elems[2].faceIndex = 12;
    elems[3].kind = Element::File;
    elems[3].name = QStringLiteral("TXWhiteBoardExt");
    elems[3].data = QByteArray(9000, 'z');
    QVector<Element> back;
    QString error;
    QVERIFY2(elementsFromJson(elementsToJson(elems), &back, &error), qPrintable(error));
    QCOMPARE(back, elems);
  }

  void badElementListsAreRefused_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("not a list") << QByteArray("{\"type\":\"text\"}");
    QTest::newRow("empty") << QByteArray("[]");
    QTest::newRow("unknown") << QByteArray("[{\"type\":\"sticker\"}]");
    QTest::newRow("text without text") << QByteArray("[{\"type\":\"text\"}]");
    QTest::newRow("face index text") << QByteArray("[{\"type\":\"face\",\"index\":\"3\"}]");
    QTest::newRow("face index fraction") << QByteArray("[{\"type\":\"face\",\"index\":1.5}]");
    QTest::newRow("bad base64") << QByteArray("[{\"type\":\"file\",\"data64\":\"@@@\"}]");
    QTest::newRow("data number") << QByteArray("[{\"type\":\"custom\",\"data\":5}]");
    QTest::newRow("element not object") << QByteArray("[5]");
  }
  void badElementListsAreRefused() {
    QFETCH(QByteArray, json);
    const QJsonDocument doc = QJsonDocument::fromJson("{\"e\":" + json + "}");
    QVector<Element> elems;
    QString error;
    QVERIFY(!elementsFromJson(doc.object().value(QStringLiteral("e")), &elems, &error));
    QVERIFY(!error.isEmpty());
  }

  void tooManyElementsAreRefused() {
    QJsonArray a;
    for (int i = 0; i <= kMaxElements; ++i)
      a.append(QJsonObject{{QStringLiteral("type"), QStringLiteral("face")}, {QStringLiteral("index"), i}});
    QVector<Element> elems;
    QString error;
    QVERIFY(!elementsFromJson(a, &elems, &error));
    a.removeLast();
    QVERIFY(elementsFromJson(a, &elems, &error));
    QCOMPARE(elems.size(), kMaxElements);
  }
};

QTEST_GUILESS_MAIN(TestHubProtocol)
#include "test_hubprotocol.moc"
