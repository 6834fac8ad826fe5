#include "immessagefactory.h"
#include "recordingwindow.h"

#include "messaging/classcommand.h"
#include "messaging/imservice.h"
#include "messaging/messagehook.h"
#include "messaging/messagesink.h"

#include <QLoggingCategory>
#include <QTest>
#include <atomic>
#include <thread>

namespace {

// What the whiteboard decoder saw, in order: the first element's custom data per call.
QList<QByteArray> g_whiteboardSeen;

void recordWhiteboard(im::MessageHandle msg, int elemCount, IMService *) {
  QByteArray data;
  if (elemCount > 0) {
    im::ElemHandle e = im::getElem(msg, 0);
    data.resize(int(im::getCustomDataSize(e)) + 1);
    uint32_t len = uint32_t(data.size());
    im::getCustomData(e, data.data(), &len);
    data.truncate(int(len));
    im::destroyElem(e);
  }
  g_whiteboardSeen.append(data);
}

// Counts how many hook calls are inside the receiver at once (direct connection).
class OverlapProbe : public QObject {
  Q_OBJECT
public:
  OverlapProbe() {
    registerLiveMessageType();
    connect(this, &OverlapProbe::receiveMessage, this, &OverlapProbe::enter, Qt::DirectConnection);
  }
  std::atomic<int> inside{0}, maxInside{0}, deliveries{0};
signals:
  void receiveMessage(QString sender, std::vector<LiveMessage> *msgs);
private slots:
  void enter(QString, std::vector<LiveMessage> *msgs) {
    const int now = ++inside;
    int seen = maxInside.load();
    while (now > seen && !maxInside.compare_exchange_weak(seen, now)) {
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    --inside;
    ++deliveries;
    MessageSink::take(msgs);
  }
};

// A window whose receiveMessage is not connected yet (the hook installed first).
class UnconnectedWindow : public QObject {
  Q_OBJECT
signals:
  void receiveMessage(QString sender, std::vector<LiveMessage> *msgs);
};

} // namespace

class TestMessageHook : public QObject {
  Q_OBJECT

  void deliver(RecordingWindow &w, std::vector<im::MessageHandle> batch) {
    MessageHook::onNewMessage(batch.data(), uint32_t(batch.size()), &w);
  }

private slots:
  // The hook logs every element; keep the test's output readable.
  void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }

  void init() {
    g_whiteboardSeen.clear();
    IMService::instance()->setWBMessageDecoder(&recordWhiteboard);
  }
  void cleanup() { MessageHook::uninstall(); }

  void elementsBecomeRecordsInOrder() {
    RecordingWindow w;
    MessageHook::install(&w);
    ImMessageFactory f;
    im::MessageHandle m = f.create();
    f.addText(m, "a");
    f.addFace(m, 7);
    f.addText(m, "中文");
    f.addElemOfType(m, im::IM_ELEM_FILE);
    deliver(w, {m});
    QTRY_COMPARE(w.received.size(), 1);
    const LiveMessageList &r = w.received[0].records;
    QCOMPARE(int(r.size()), 4);
    QCOMPARE(r[0].type, 1);
    QCOMPARE(r[0].text, QStringLiteral("a"));
    QCOMPARE(r[0].faceIndex, -1);
    QCOMPARE(r[1].type, 6);
    QCOMPARE(r[1].faceIndex, 7);
    QVERIFY(r[1].text.isEmpty());
    QCOMPARE(r[2].text, QStringLiteral("中文"));
    // Any other element type is passed on with its code and nothing else.
    QCOMPARE(r[3].type, int(im::IM_ELEM_FILE));
    QVERIFY(r[3].text.isEmpty());
    QCOMPARE(r[3].faceIndex, -1);
    for (const LiveMessage &rec : r)
      QCOMPARE(rec.time, im::getMessageTime(m));
  }

  void emptyMessageStillArrives() {
    RecordingWindow w;
    MessageHook::install(&w);
    ImMessageFactory f;
    deliver(w, {f.create(), f.create()});
    QTRY_COMPARE(w.received.size(), 2);
    QVERIFY(w.received[0].records.empty());
  }

  void commandLongerThanTenThousandBytesArrivesWhole() {
    RecordingWindow w;
    MessageHook::install(&w);
    ImMessageFactory f;
    const QString param = QString(6000, QChar(0x4e2d)) + QStringLiteral("\"end\""); // 18 kB
    const QByteArray json = ClassCommand::toJson(2056, param);
    QVERIFY(json.size() > 10000);
    im::MessageHandle m = f.create();
    f.addCustom(m, json, ClassCommand::kExt);
    deliver(w, {m});
    QTRY_COMPARE(w.received.size(), 1);
    const LiveMessage &rec = w.received[0].records.at(0);
    QCOMPARE(rec.type, 5);
    ClassCommand c;
    QVERIFY(ClassCommand::parse(rec.text, &c));
    QCOMPARE(c.userAction, 2056);
    QCOMPARE(c.actionParam, param);
  }

  void contentEndsAtTheFirstNul() {
    RecordingWindow w;
    MessageHook::install(&w);
    ImMessageFactory f;
    deliver(w, {f.text(QByteArray("ab\0cd", 5))});
    QTRY_COMPARE(w.received.size(), 1);
    QCOMPARE(w.received[0].records.at(0).text, QStringLiteral("ab"));
  }

  void whiteboardMessageDoesNotSwallowItsBatch() {
    RecordingWindow w;
    MessageHook::install(&w);
    ImMessageFactory f;
    deliver(w, {f.text("first"), f.whiteboard("{\"seq\":1}"), f.text("second"),
                f.whiteboard("{\"seq\":2}")});
    QTRY_COMPARE(w.received.size(), 2);
    QCOMPARE(w.received[0].records.at(0).text, QStringLiteral("first"));
    QCOMPARE(w.received[1].records.at(0).text, QStringLiteral("second"));
    QCOMPARE(g_whiteboardSeen, (QList<QByteArray>{"{\"seq\":1}", "{\"seq\":2}"}));
  }

  void onlyTheExactExtensionMarksWhiteboardData_data() {
    QTest::addColumn<QByteArray>("ext");
    QTest::addColumn<bool>("whiteboard");
    QTest::newRow("exact") << QByteArray("TXWhiteBoardExt") << true;
    QTest::newRow("one more") << QByteArray("TXWhiteBoardExtX") << false;
    QTest::newRow("one fewer") << QByteArray("TXWhiteBoardEx") << false;
    QTest::newRow("case") << QByteArray("txwhiteboardext") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("long") << QByteArray(300, 'T') << false;
    // The extension is text and ends at its first NUL.
    QTest::newRow("nul after") << QByteArray("TXWhiteBoardExt\0junk", 20) << true;
  }
  void onlyTheExactExtensionMarksWhiteboardData() {
    QFETCH(QByteArray, ext);
    QFETCH(bool, whiteboard);
    RecordingWindow w;
    MessageHook::install(&w);
    ImMessageFactory f;
    im::MessageHandle m = f.text("payload");
    f.setPushExt(m, ext);
    QCOMPARE(MessageHook::isWhiteboardMessage(m), whiteboard);
    deliver(w, {m});
    QCoreApplication::processEvents();
    QCOMPARE(w.received.size(), whiteboard ? 0 : 1);
    QCOMPARE(g_whiteboardSeen.size(), whiteboard ? 1 : 0);
  }

  // The board is written by those the check allows (the classroom's: the teacher and the
  // members on stage); anyone else's board data is dropped, and their chat still arrives.
  void boardDataOnlyFromTheAllowedWriters() {
    IMService::instance()->setWBWriterCheck([](const QString &sender) { return sender == QLatin1String("t1"); });
    RecordingWindow w;
    MessageHook::install(&w);
    ImMessageFactory f;
    im::MessageHandle teacher = f.whiteboard("{\"seq\":1}");
    f.setSender(teacher, QStringLiteral("t1"));
    im::MessageHandle student = f.whiteboard("{\"seq\":2}");
    f.setSender(student, QStringLiteral("s1"));
    im::MessageHandle chat = f.text("chat");
    f.setSender(chat, QStringLiteral("s1"));
    deliver(w, {student, teacher, chat, f.whiteboard("{\"seq\":3}")});
    QTRY_COMPARE(w.received.size(), 1);
    QCOMPARE(g_whiteboardSeen, QList<QByteArray>{"{\"seq\":1}"});
    // Without a check (the teacher's own programs) every sender writes.
    IMService::instance()->setWBWriterCheck({});
    deliver(w, {student});
    QCOMPARE(g_whiteboardSeen, (QList<QByteArray>{"{\"seq\":1}", "{\"seq\":2}"}));
  }

  void withoutADecoderWhiteboardDataIsDroppedOnly() {
    IMService::instance()->setWBMessageDecoder(nullptr);
    RecordingWindow w;
    MessageHook::install(&w);
    ImMessageFactory f;
    deliver(w, {f.whiteboard("{}"), f.text("chat")});
    QTRY_COMPARE(w.received.size(), 1);
    QCOMPARE(w.received[0].records.at(0).text, QStringLiteral("chat"));
  }

  void afterUninstallNothingReachesTheWindow() {
    RecordingWindow w;
    MessageHook::install(&w);
    MessageHook::uninstall();
    ImMessageFactory f;
    deliver(w, {f.text("late")});
    QCoreApplication::processEvents();
    QVERIFY(w.received.isEmpty());
    // A stale user pointer (another window than the installed one) is ignored too.
    RecordingWindow other;
    MessageHook::install(&other);
    deliver(w, {f.text("stale")});
    QCoreApplication::processEvents();
    QVERIFY(w.received.isEmpty());
    QVERIFY(other.received.isEmpty());
  }

  // Lists that never reach a slot are freed by the window's drop, and only its own.
  void listsThatNeverReachASlotAreFreed() {
    const int before = MessageSink::pendingCount();
    ImMessageFactory f;
    auto queued = std::make_unique<RecordingWindow>();
    MessageHook::install(queued.get());
    // From another thread the delivery is queued; the window goes before it runs.
    std::thread([&] {
      std::vector<im::MessageHandle> batch{f.text("queued")};
      MessageHook::onNewMessage(batch.data(), 1, queued.get());
    }).join();
    QCOMPARE(MessageSink::pendingCount(), before + 1);
    MessageHook::uninstall();

    UnconnectedWindow early;
    MessageHook::install(&early);
    std::vector<im::MessageHandle> batch{f.text("early")};
    MessageHook::onNewMessage(batch.data(), 1, &early);
    QCOMPARE(MessageSink::pendingCount(), before + 2);
    MessageHook::uninstall();

    QCOMPARE(MessageSink::dropPending(queued.get()), 1);
    queued.reset();
    QCoreApplication::processEvents();
    QCOMPARE(MessageSink::pendingCount(), before + 1);
    QCOMPARE(MessageSink::dropPending(&early), 1);
    QCOMPARE(MessageSink::pendingCount(), before);
  }

  // A list the slot took is no longer the sink's: nothing is left to drop.
  void deliveredListsAreTheSlotsOwn() {
    RecordingWindow w;
    MessageHook::install(&w);
    ImMessageFactory f;
    deliver(w, {f.text("one"), f.text("two")});
    QCoreApplication::processEvents();
    QCOMPARE(w.received.size(), 2);
    QCOMPARE(MessageSink::dropPending(&w), 0);
  }

  void callsFromSeveralThreadsNeverOverlap() {
    OverlapProbe probe;
    MessageHook::install(&probe);
    ImMessageFactory f;
    std::vector<im::MessageHandle> batch{f.text("x"), f.text("y")};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
      threads.emplace_back([&] {
        for (int i = 0; i < 25; ++i)
          MessageHook::onNewMessage(batch.data(), uint32_t(batch.size()), &probe);
      });
    for (std::thread &t : threads)
      t.join();
    QCOMPARE(probe.deliveries.load(), 4 * 25 * 2);
    QCOMPARE(probe.maxInside.load(), 1);
  }
};

QTEST_GUILESS_MAIN(TestMessageHook)
#include "test_messagehook.moc"
