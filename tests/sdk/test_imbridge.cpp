// The IM bridge's callback record (callback and user data) under concurrent registration and
// delivery: a delivery never pairs one registration's callback with another's data, and once
// a registration is replaced no delivery runs with it any more.

#include "sdk/im/imbridge.h"
#include "sdk/im/imsdk.h"

#include <QAtomicInt>
#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

namespace {

struct Tag {
  QAtomicInt calls;
};
Tag g_tagA, g_tagB;
QAtomicInt g_mismatches;

void onA(im::MessageHandle *, uint32_t, void *data) {
  if (data != &g_tagA) g_mismatches.ref();
  g_tagA.calls.ref();
}

void onB(im::MessageHandle *, uint32_t, void *data) {
  if (data != &g_tagB) g_mismatches.ref();
  g_tagB.calls.ref();
}

QAtomicInt g_running;
QAtomicInt g_started;

void slowCallback(im::MessageHandle *, uint32_t, void *) {
  g_running.storeRelease(1);
  g_started.storeRelease(1);
  QThread::msleep(200);
  g_running.storeRelease(0);
}

} // namespace

class TestImBridge : public QObject {
  Q_OBJECT
private slots:
  void cleanup() {
    im::setMessageCallback(nullptr);
    imbridge::flush();
  }

  // The caller refills one record in place and registers it again, as the message hook does.
  void concurrentRegistrationNeverMixesCallbackAndData() {
    g_mismatches.storeRelaxed(0);
    g_tagA.calls.storeRelaxed(0);
    g_tagB.calls.storeRelaxed(0);
    QAtomicInt stop;
    QScopedPointer<QThread> deliverer(QThread::create([&stop] {
      while (!stop.loadAcquire()) {
        imbridge::deliver(hubproto::ImMessage());
        QThread::usleep(20); // small batches: many callbacks
      }
    }));
    deliverer->start();
    im::MessageCallback record;
    QElapsedTimer running;
    running.start();
    // Until both registrations have been delivered to many times.
    while ((g_tagA.calls.loadAcquire() < 100 || g_tagB.calls.loadAcquire() < 100) && running.elapsed() < 20000) {
      record.onNewMessage = &onA;
      record.data = &g_tagA;
      im::setMessageCallback(&record);
      record.onNewMessage = &onB;
      record.data = &g_tagB;
      im::setMessageCallback(&record);
    }
    stop.storeRelease(1);
    deliverer->wait();
    imbridge::flush();
    QVERIFY(g_tagA.calls.loadAcquire() >= 100 && g_tagB.calls.loadAcquire() >= 100);
    QCOMPARE(g_mismatches.loadAcquire(), 0);
  }

  void clearingWaitsForTheDeliveryInProgress() {
    im::MessageCallback record;
    record.onNewMessage = &slowCallback;
    im::setMessageCallback(&record);
    g_started.storeRelaxed(0);
    imbridge::deliver(hubproto::ImMessage());
    QTRY_VERIFY(g_started.loadAcquire() == 1);
    im::setMessageCallback(nullptr);
    QCOMPARE(g_running.loadAcquire(), 0);
    // Nothing is delivered after the record is gone.
    g_started.storeRelaxed(0);
    imbridge::deliver(hubproto::ImMessage());
    imbridge::flush();
    QCOMPARE(g_started.loadAcquire(), 0);
  }

  void recordIsCopiedAtRegistration() {
    g_tagA.calls.storeRelaxed(0);
    g_tagB.calls.storeRelaxed(0);
    g_mismatches.storeRelaxed(0);
    im::MessageCallback record;
    record.onNewMessage = &onA;
    record.data = &g_tagA;
    im::setMessageCallback(&record);
    record.onNewMessage = &onB; // not registered again: the bridge keeps what it was given
    record.data = &g_tagB;
    imbridge::deliver(hubproto::ImMessage());
    imbridge::flush();
    QCOMPARE(g_tagA.calls.loadAcquire(), 1);
    QCOMPARE(g_tagB.calls.loadAcquire(), 0);
    QCOMPARE(g_mismatches.loadAcquire(), 0);
  }
};

QTEST_GUILESS_MAIN(TestImBridge)
#include "test_imbridge.moc"
