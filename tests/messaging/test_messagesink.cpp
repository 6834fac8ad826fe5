#include "messaging/messagesink.h"

#include "recordingwindow.h"

#include <QObject>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <thread>

namespace {

class NoSignal : public QObject {
  Q_OBJECT
};

} // namespace

class TestMessageSink : public QObject {
  Q_OBJECT
private slots:
  void crossesToTheWindowsThreadQueued() {
    RecordingWindow w;
    bool emitted = false;
    std::thread imThread([&w, &emitted] {
      auto *msgs = new LiveMessageList;
      msgs->push_back({LiveMessage::Text, QStringLiteral("hi"), -1, 17});
      msgs->push_back({LiveMessage::Face, QString(), 3, 17});
      emitted = MessageSink::emitReceiveMessage(&w, QStringLiteral("老师_01"), msgs);
    });
    imThread.join();
    QVERIFY(emitted);
    QVERIFY(w.received.isEmpty()); // queued: nothing ran on the IM thread
    QTRY_COMPARE(w.received.size(), 1);
    const ReceivedMessage &m = w.received.first();
    QCOMPARE(m.thread, QThread::currentThread());
    QCOMPARE(m.sender, QStringLiteral("老师_01"));
    QCOMPARE(int(m.records.size()), 2);
    QCOMPARE(m.records[1].faceIndex, 3);
    QCOMPARE(m.records[0].time, 17u);
  }

  void sameThreadDeliveryIsDirect() {
    RecordingWindow w;
    QVERIFY(MessageSink::emitReceiveMessage(&w, QStringLiteral("u"), new LiveMessageList));
    QCOMPARE(w.received.size(), 1);
    QVERIFY(w.received.first().records.empty());
  }

  void windowWithoutTheSignalIsRefused() {
    NoSignal n;
    QVERIFY(!MessageSink::emitReceiveMessage(&n, QStringLiteral("u"), new LiveMessageList));
    QVERIFY(!MessageSink::emitReceiveMessage(nullptr, QStringLiteral("u"), new LiveMessageList));
  }
};

QTEST_GUILESS_MAIN(TestMessageSink)
#include "test_messagesink.moc"
