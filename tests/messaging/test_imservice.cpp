#include "messaging/imrecvwbdatacallback.h"
#include "messaging/imservice.h"

#include <QTest>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

class Recorder : public IMRecvWBDataCallback {
public:
  void onRecvWBData(const char *data, unsigned length) override {
    received.append(QByteArray(data, int(length)));
  }
  QList<QByteArray> received;
};

// Stays inside the callback until released, so a concurrent clear can be observed.
class SlowReceiver : public IMRecvWBDataCallback {
public:
  void onRecvWBData(const char *, unsigned) override {
    entered = true;
    while (!release)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    finished = true;
  }
  std::atomic<bool> entered{false}, release{false}, finished{false};
};

class SelfClearing : public IMRecvWBDataCallback {
public:
  void onRecvWBData(const char *, unsigned) override {
    ++calls;
    IMService::instance()->setWBDataReceiver(nullptr);
  }
  int calls = 0;
};

} // namespace

class TestIMService : public QObject {
  Q_OBJECT
private slots:
  void sequenceStartsAtOneAndAdvancesPerTake() {
    IMService *im = IMService::instance();
    QCOMPARE(im->peekWBSequence(), 1);
    QCOMPARE(im->takeWBSequence(), 1);
    QCOMPARE(im->takeWBSequence(), 2);
    QCOMPARE(im->peekWBSequence(), 3);
  }

  void deliversToTheReceiverUntilCleared() {
    IMService *im = IMService::instance();
    QVERIFY(!im->deliverWBData("x", 1));
    Recorder r;
    im->setWBDataReceiver(&r);
    const char data[] = "{\"a\":1}\n\0tail";
    QVERIFY(im->deliverWBData(data, 8));
    im->setWBDataReceiver(nullptr);
    QVERIFY(!im->deliverWBData(data, 8));
    QCOMPARE(r.received, QList<QByteArray>{QByteArray("{\"a\":1}\n")});
  }

  void clearingWaitsForADeliveryInProgress() {
    IMService *im = IMService::instance();
    SlowReceiver slow;
    im->setWBDataReceiver(&slow);
    std::thread imThread([im] { im->deliverWBData("d", 1); });
    while (!slow.entered)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    slow.release = true;
    im->setWBDataReceiver(nullptr);
    // Once the clear returns the receiver may be destroyed: it must be out of the callback.
    QVERIFY(slow.finished);
    imThread.join();
  }

  void receiverMayClearItselfFromTheCallback() {
    IMService *im = IMService::instance();
    SelfClearing r;
    im->setWBDataReceiver(&r);
    QVERIFY(im->deliverWBData("d", 1));
    QVERIFY(!im->deliverWBData("d", 1));
    QCOMPARE(r.calls, 1);
  }
};

QTEST_GUILESS_MAIN(TestIMService)
#include "test_imservice.moc"
