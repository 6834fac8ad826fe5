// Whiteboard data over IM: the envelope, custom or file element by size, the push extension,
// what is not sent, and unwrapping of received custom and file elements.
#include "immessagefactory.h"

#include "messaging/imrecvwbdatacallback.h"
#include "messaging/imservice.h"
#include "messaging/wbenvelope.h"
#include "messaging/wbmessage.h"
#include "sdk/im/imbridge.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QtTest>

namespace {

struct Sent {
  hubproto::Conversation conv;
  QVector<hubproto::Element> elems;
  QString pushExt;
  bool hasPush = false;
};

// Stands in for the signed-in connection: keeps what is sent, answers with code.
class SendRecorder {
public:
  explicit SendRecorder(int code = 0) {
    imbridge::setSender([this, code](const hubproto::Conversation &conv, const QVector<hubproto::Element> &elems,
                                     const QString *ext, imbridge::SendDone done) {
      QMutexLocker lock(&mutex_);
      sent_.append(Sent{conv, elems, ext ? *ext : QString(), ext != nullptr});
      done(code, QString());
    });
  }
  ~SendRecorder() { imbridge::setSender({}); }
  QList<Sent> sent() {
    imbridge::flush();
    QMutexLocker lock(&mutex_);
    return sent_;
  }

private:
  QMutex mutex_;
  QList<Sent> sent_;
};

class Receiver : public IMRecvWBDataCallback {
public:
  void onRecvWBData(const char *data, unsigned length) override {
    QMutexLocker lock(&mutex);
    received.append(QByteArray(data, int(length)));
  }
  QList<QByteArray> all() {
    QMutexLocker lock(&mutex);
    return received;
  }
  QMutex mutex;
  QList<QByteArray> received;
};

// An envelope of exactly n bytes (line feed included).
std::string envelopeOfSize(std::size_t n) {
  const std::string head = "{\"seq\":1,\"timestamp\":2,\"value\":\"";
  const std::string tail = "\"}\n";
  return head + std::string(n - head.size() - tail.size(), 'x') + tail;
}

} // namespace

class TestWBData : public QObject {
  Q_OBJECT
private slots:
  void cleanup() {
    IMService::instance()->setWBGroupId(std::string());
    IMService::instance()->setWBDataReceiver(nullptr);
  }

  void sendWrapsTheDataWithSequenceAndTime() {
    SendRecorder recorder;
    IMService *im = IMService::instance();
    im->setWBGroupId("1001");
    const int seq = im->peekWBSequence();
    const qint64 before = QDateTime::currentMSecsSinceEpoch() & 0xFFFFFFFF;
    im->sendWBData("{\"op\":\"draw\", \"n\": [1, 2]}");
    im->sendWBData("[3]");
    const QList<Sent> sent = recorder.sent();
    QCOMPARE(sent.size(), 2);
    QCOMPARE(sent[0].conv.type, hubproto::Conversation::Group);
    QCOMPARE(sent[0].conv.peer, QStringLiteral("1001"));
    QVERIFY(sent[0].hasPush);
    QCOMPARE(sent[0].pushExt, QStringLiteral("TXWhiteBoardExt"));
    QCOMPARE(sent[0].elems.size(), 1);
    const hubproto::Element &e = sent[0].elems[0];
    QCOMPARE(e.kind, hubproto::Element::Custom);
    QCOMPARE(e.ext, QStringLiteral("TXWhiteBoardExt"));
    // Compact, members in the writer's order, the value embedded as JSON, one line feed.
    const QByteArray expectedHead = "{\"seq\":" + QByteArray::number(seq) + ",\"timestamp\":";
    QVERIFY2(e.data.startsWith(expectedHead), e.data.constData());
    QVERIFY(e.data.endsWith(",\"value\":{\"n\":[1,2],\"op\":\"draw\"}}\n"));
    const QJsonObject envelope = QJsonDocument::fromJson(e.data).object();
    const qint64 stamp = qint64(envelope.value("timestamp").toDouble());
    QVERIFY(qAbs(stamp - before) < 5000 || stamp < 5000); // allow for the 32-bit wrap
    QCOMPARE(QJsonDocument::fromJson(sent[1].elems[0].data).object().value("seq").toInt(), seq + 1);
    QCOMPARE(im->peekWBSequence(), seq + 2);
  }

  void customUpTo7000BytesFileFrom7001() {
    SendRecorder recorder;
    wbmessage::send("1001", envelopeOfSize(7000));
    wbmessage::send("1001", envelopeOfSize(7001));
    const QList<Sent> sent = recorder.sent();
    QCOMPARE(sent.size(), 2);
    QCOMPARE(sent[0].elems[0].kind, hubproto::Element::Custom);
    QCOMPARE(sent[0].elems[0].data.size(), 7000);
    QCOMPARE(sent[1].elems[0].kind, hubproto::Element::File);
    QCOMPARE(sent[1].elems[0].name, QStringLiteral("TXWhiteBoardExt"));
    QCOMPARE(sent[1].elems[0].data, QByteArray::fromStdString(envelopeOfSize(7001)));
    QCOMPARE(sent[1].pushExt, QStringLiteral("TXWhiteBoardExt"));
  }

  void invalidDataOrNoGroupSendsNothing() {
    SendRecorder recorder;
    IMService *im = IMService::instance();
    const int seq = im->peekWBSequence();
    im->sendWBData("{\"a\":1}"); // no group: the student's case
    im->setWBGroupId("1001");
    im->sendWBData("{\"a\":");
    im->sendWBData(nullptr);
    QCOMPARE(recorder.sent().size(), 0);
    QCOMPARE(im->peekWBSequence(), seq);
  }

  void failedSendIsLogged() {
    SendRecorder recorder(2004);
    IMService::instance()->setWBGroupId("1001");
    QTest::ignoreMessage(QtDebugMsg, "txcloud:OnSendWBDataError code = 2004");
    IMService::instance()->sendWBData("{}");
    QCOMPARE(recorder.sent().size(), 1);
  }

  void receivedCustomElementHandsOverTheValue() {
    Receiver receiver;
    IMService::instance()->setWBDataReceiver(&receiver);
    ImMessageFactory factory;
    im::MessageHandle msg = factory.whiteboard("{\"seq\":1,\"timestamp\":2,\"value\":{\"a\":1}}\n");
    IMService::instance()->decodeWBMessage(msg, im::getElemCount(msg));
    QCOMPARE(receiver.all(), QList<QByteArray>{QByteArray("{\"a\":1}\n")});
    QCOMPARE(receiver.all().first().size(), 8);
  }

  void missingValueIsNullAndNonJsonIsDropped() {
    Receiver receiver;
    IMService::instance()->setWBDataReceiver(&receiver);
    ImMessageFactory factory;
    im::MessageHandle msg = factory.whiteboard("{\"seq\":1}");
    factory.addCustom(msg, "not json", "TXWhiteBoardExt");
    factory.addText(msg, "{\"value\":1}"); // plain text is skipped
    IMService::instance()->decodeWBMessage(msg, im::getElemCount(msg));
    QCOMPARE(receiver.all(), QList<QByteArray>{QByteArray("null\n")});
  }

  void receivedFileElementIsFetchedAndUnwrapped() {
    Receiver receiver;
    IMService::instance()->setWBDataReceiver(&receiver);
    ImMessageFactory factory;
    im::MessageHandle msg = factory.create();
    const std::string big = envelopeOfSize(9000);
    factory.addFile(msg, QByteArray::fromStdString(big), "TXWhiteBoardExt");
    factory.setPushExt(msg, "TXWhiteBoardExt");
    IMService::instance()->decodeWBMessage(msg, im::getElemCount(msg));
    imbridge::flush();
    QTRY_COMPARE(receiver.all().size(), 1);
    std::string value;
    QVERIFY(wbenvelope::unwrap(big.data(), big.size(), &value));
    QCOMPARE(receiver.all().first(), QByteArray::fromStdString(value));
  }
};

QTEST_GUILESS_MAIN(TestWBData)
#include "test_wbdata.moc"
