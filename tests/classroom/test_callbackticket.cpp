// Tickets while a frame is being delivered on another thread: answers for any owner resolve at
// once, revoking another owner does not wait, and revoking the visited owner waits for exactly
// that visit; a revoked ticket neither resolves nor visits.
#include "classroom/callbackticket.h"

#include <QAtomicInt>
#include <QSemaphore>
#include <QTest>
#include <QThread>

namespace {

// Long enough that a blocked answer cannot pass unnoticed, short enough to end a failing run.
const int kStuckMs = 5000;

// A frame delivery that stays inside visit() until released, as a slow conversion would.
class SlowVisit : public QThread {
public:
  explicit SlowVisit(void *ticket) : m_ticket(ticket) {}
  QSemaphore entered;
  QSemaphore release;
  bool visited = false;
  bool releasedInTime = false;

protected:
  void run() override {
    visited = CallbackTicket::visit(m_ticket, [this](QObject *) {
      entered.release();
      releasedInTime = release.tryAcquire(1, kStuckMs);
    });
  }

private:
  void *m_ticket;
};

} // namespace

class TestCallbackTicket : public QObject {
  Q_OBJECT

private slots:
  void answersGoOnWhileAFrameIsDelivered() {
    QObject drawn, other;
    void *drawnTicket = CallbackTicket::of(&drawn);
    void *otherTicket = CallbackTicket::of(&other);
    SlowVisit frame(drawnTicket);
    frame.start();
    QVERIFY(frame.entered.tryAcquire(1, kStuckMs));

    // A GUI-thread answer for either owner, and a new ticket, while the frame is still inside.
    QCOMPARE(CallbackTicket::owner(drawnTicket), &drawn);
    QCOMPARE(CallbackTicket::owner(otherTicket), &other);
    QObject late;
    QVERIFY(CallbackTicket::of(&late) != nullptr);
    CallbackTicket::revoke(&other);
    CallbackTicket::revoke(&late);
    QCOMPARE(CallbackTicket::owner(otherTicket), nullptr);

    frame.release.release();
    QVERIFY(frame.wait(kStuckMs));
    QVERIFY(frame.visited);
    QVERIFY2(frame.releasedInTime, "the answers above waited for the frame");
    CallbackTicket::revoke(&drawn);
  }

  void revokeWaitsForTheVisitOfItsOwner() {
    QObject drawn;
    void *ticket = CallbackTicket::of(&drawn);
    SlowVisit frame(ticket);
    frame.start();
    QVERIFY(frame.entered.tryAcquire(1, kStuckMs));

    QAtomicInt revoked(0);
    std::unique_ptr<QThread> closer(QThread::create([&] {
      CallbackTicket::revoke(&drawn);
      revoked = 1;
    }));
    closer->start();
    QVERIFY(!closer->wait(200));
    QCOMPARE(int(revoked), 0);
    // Already gone for answers, though the frame in progress may finish.
    QCOMPARE(CallbackTicket::owner(ticket), nullptr);

    frame.release.release();
    QVERIFY(closer->wait(kStuckMs));
    QCOMPARE(int(revoked), 1);
    QVERIFY(frame.wait(kStuckMs));
    QVERIFY(frame.visited);
  }

  void revokedTicketNeitherResolvesNorVisits() {
    QObject owner;
    void *ticket = CallbackTicket::of(&owner);
    QCOMPARE(CallbackTicket::of(&owner), ticket);
    QVERIFY(CallbackTicket::owners().contains(&owner));
    CallbackTicket::revoke(&owner);
    bool ran = false;
    QVERIFY(!CallbackTicket::visit(ticket, [&](QObject *) { ran = true; }));
    QVERIFY(!ran);
    QVERIFY(!CallbackTicket::owners().contains(&owner));
    QVERIFY(CallbackTicket::of(&owner) != ticket); // never reused
    CallbackTicket::revoke(&owner);
  }
};

QTEST_GUILESS_MAIN(TestCallbackTicket)
#include "test_callbackticket.moc"
