#include "messaging/messagesink.h"

#include <QObject>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <thread>

namespace {

// Declares the signal and slot the way the classroom window does.
class FakeWindow : public QObject {
  Q_OBJECT
public:
  FakeWindow() {
    connect(this, &FakeWindow::receiveMessage, this, &FakeWindow::OnReceiveMessage);
  }
  QString sender;
  std::vector<LiveMessage> got;
  QThread *slotThread = nullptr;
  int calls = 0;
signals:
  void receiveMessage(QString sender, std::vector<LiveMessage> *msgs);
public slots:
  void OnReceiveMessage(QString from, std::vector<LiveMessage> *msgs) {
    sender = from;
    got = *msgs;
    slotThread = QThread::currentThread();
    ++calls;
    delete msgs;
  }
};

class NoSignal : public QObject {
  Q_OBJECT
};

} // namespace

class TestMessageSink : public QObject {
  Q_OBJECT
private slots:
  void crossesToTheWindowsThreadQueued() {
    FakeWindow w;
    bool emitted = false;
    std::thread imThread([&w, &emitted] {
      auto *msgs = new LiveMessageList;
      msgs->push_back({LiveMessage::Text, QStringLiteral("hi"), -1, 17});
      msgs->push_back({LiveMessage::Face, QString(), 3, 17});
      emitted = MessageSink::emitReceiveMessage(&w, QStringLiteral("老师_01"), msgs);
    });
    imThread.join();
    QVERIFY(emitted);
    QCOMPARE(w.calls, 0); // queued: nothing ran on the IM thread
    QTRY_COMPARE(w.calls, 1);
    QCOMPARE(w.slotThread, QThread::currentThread());
    QCOMPARE(w.sender, QStringLiteral("老师_01"));
    QCOMPARE(int(w.got.size()), 2);
    QCOMPARE(w.got[1].faceIndex, 3);
    QCOMPARE(w.got[0].time, 17u);
  }

  void sameThreadDeliveryIsDirect() {
    FakeWindow w;
    QVERIFY(MessageSink::emitReceiveMessage(&w, QStringLiteral("u"), new LiveMessageList));
    QCOMPARE(w.calls, 1);
    QVERIFY(w.got.empty());
  }

  void windowWithoutTheSignalIsRefused() {
    NoSignal n;
    QVERIFY(!MessageSink::emitReceiveMessage(&n, QStringLiteral("u"), new LiveMessageList));
    QVERIFY(!MessageSink::emitReceiveMessage(nullptr, QStringLiteral("u"), new LiveMessageList));
  }
};

QTEST_GUILESS_MAIN(TestMessageSink)
#include "test_messagesink.moc"
