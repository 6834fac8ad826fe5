// The SDK layer's value types and helpers: strings, vectors and messages of the live SDK, the
// IM library's handles and buffer rule, the test pattern, frame conversion and the mixer.
#include "sdk/im/imsdk.h"
#include "sdk/live/audiomixer.h"
#include "sdk/live/ilive.h"
#include "sdk/live/iliverootview.h"
#include "sdk/live/messageconvert.h"
#include "sdk/live/testpatterncamera.h"
#include "sdk/live/videoconverter.h"
#include "protocol/mediaframe.h"

#include <QtEndian>
#include <QtTest>

using namespace ilive;

class TestSdkValues : public QObject {
  Q_OBJECT
private slots:
  void stringsKeepBytesIncludingNul() {
    const String a("abc\0def", 7);
    QCOMPARE(a.size(), size_t(7));
    QCOMPARE(a.c_str()[7], '\0');
    String b = a;
    QVERIFY(b == a);
    QVERIFY(b.c_str() != a.c_str());
    String c(std::move(b));
    QVERIFY(c == a);
    QVERIFY(b.empty());
    QCOMPARE(String(nullptr).c_str(), "");
    QVERIFY(String("x") != String("y"));
  }

  void vectorsGrowCopyAndErase() {
    Vector<Pair<String, String>> v;
    for (int i = 0; i < 100; ++i)
      v.push_back({String(QByteArray::number(i).constData()), String("name")});
    QCOMPARE(v.size(), size_t(100));
    Vector<Pair<String, String>> copy = v;
    v.erase(0);
    v.erase(500);
    QCOMPARE(v.size(), size_t(99));
    QCOMPARE(QByteArray(v[0].first.c_str()), QByteArray("1"));
    QCOMPARE(QByteArray(copy[0].first.c_str()), QByteArray("0"));
    QCOMPARE(QByteArray(copy.back().first.c_str()), QByteArray("99"));
    copy.clear();
    QVERIFY(copy.empty());
  }

  void messagesOwnAndCopyTheirElements() {
    Message m;
    m.addElem(new MessageTextElem("a"));
    m.addElem(nullptr);
    m.addElem(new MessageFaceElem(12));
    m.addElem(new MessageTextElem("\r\n"));
    QCOMPARE(m.elems.size(), size_t(3));
    Message copy(m);
    m.removeLastElem();
    QCOMPARE(m.elems.size(), size_t(2));
    QCOMPARE(copy.elems.size(), size_t(3));
    QVERIFY(copy.elems[0] != m.elems[0]);
    QCOMPARE(copy.elems[1]->type, MESSAGE_ELEM_FACE);
    QCOMPARE(static_cast<MessageFaceElem *>(copy.elems[1])->index, 12);
    Message empty;
    empty.removeLastElem();
    QVERIFY(empty.elems.empty());
  }

  void messagesConvertToHubElements() {
    Message m;
    m.addElem(new MessageTextElem("你好"));
    m.addElem(new MessageCustomElem(String("{\"a\":\0}", 7), "LiveNotification"));
    m.addElem(new MessageFaceElem(3));
    const QVector<hubproto::Element> e = ilivesdk::toHubElements(m);
    QCOMPARE(e.size(), 3);
    QCOMPARE(e[0].kind, hubproto::Element::Text);
    QCOMPARE(e[0].text, QStringLiteral("你好"));
    QCOMPARE(e[1].kind, hubproto::Element::Custom);
    QCOMPARE(e[1].data.size(), 7);
    QCOMPARE(e[1].ext, QStringLiteral("LiveNotification"));
    QCOMPARE(e[2].kind, hubproto::Element::Face);
    QCOMPARE(e[2].faceIndex, 3);
  }

  void imBuffersFollowTheSizeRule() {
    im::ElemHandle e = im::createElem(im::IM_ELEM_CUSTOM);
    const QByteArray data("0123456789", 10);
    QCOMPARE(im::setCustomData(e, data.constData(), 10), int(im::IM_OK));
    char buf[16];
    uint32_t len = 10; // no room for the NUL
    QCOMPARE(im::getContent(e, buf, &len), int(im::IM_ERR_BUFFER_TOO_SMALL));
    QCOMPARE(len, 10u);
    len = 11;
    QCOMPARE(im::getContent(e, buf, &len), int(im::IM_OK));
    QCOMPARE(len, 10u);
    QCOMPARE(QByteArray(buf), data);
    QCOMPARE(im::getContentSize(e), 10u);
    QCOMPARE(im::getCustomDataSize(e), 10u);
    QCOMPARE(im::getFaceIndex(e), -1);
    QCOMPARE(im::setFaceIndex(e, 1), int(im::IM_ERR_WRONG_ELEM_TYPE));
    QCOMPARE(im::setFileName(e, "x", 1), int(im::IM_ERR_WRONG_ELEM_TYPE));
    QCOMPARE(im::getElemType(e), im::IM_ELEM_CUSTOM);
    im::destroyElem(e);
    QCOMPARE(im::getContent(nullptr, buf, &len), int(im::IM_ERR_INVALID_HANDLE));
    QCOMPARE(im::getElemType(nullptr), im::IM_ELEM_INVALID);
    QVERIFY(im::createElem(im::IM_ELEM_IMAGE) == nullptr);
  }

  void imMessagesCopyElementsAndPushInformation() {
    im::MessageHandle msg = im::createMessage();
    im::ElemHandle face = im::createElem(im::IM_ELEM_FACE);
    im::setFaceIndex(face, 42);
    im::addElem(msg, face);
    im::setFaceIndex(face, 1); // the message kept its own copy
    im::destroyElem(face);
    QCOMPARE(im::getElemCount(msg), 1);
    im::ElemHandle back = im::getElem(msg, 0);
    QCOMPARE(im::getFaceIndex(back), 42);
    im::destroyElem(back);
    QVERIFY(im::getElem(msg, 1) == nullptr);
    QVERIFY(im::getElem(msg, -1) == nullptr);
    im::OfflinePushHandle push = im::createOfflinePush();
    QCOMPARE(im::getMessageOfflinePush(msg, push), int(im::IM_ERR_NOT_FOUND));
    im::setOfflinePushExt(push, "TXWhiteBoardExt", 15);
    im::setMessageOfflinePush(msg, push);
    im::OfflinePushHandle read = im::createOfflinePush();
    QCOMPARE(im::getMessageOfflinePush(msg, read), int(im::IM_OK));
    char ext[256] = {};
    uint32_t len = sizeof ext;
    QCOMPARE(im::getOfflinePushExt(read, ext, &len), int(im::IM_OK));
    QCOMPARE(QByteArray(ext), QByteArray("TXWhiteBoardExt"));
    im::destroyOfflinePush(push);
    im::destroyOfflinePush(read);
    im::destroyMessage(msg);
  }

  void imSendWithoutSignInFailsThroughTheCallback() {
    im::ConvHandle conv = im::createConversation();
    QCOMPARE(im::getConversation(conv, im::IM_CONV_GROUP, ""), int(im::IM_ERR_INVALID_ARGUMENT));
    QCOMPARE(im::getConversation(conv, im::IM_CONV_GROUP, "1"), int(im::IM_OK));
    im::MessageHandle msg = im::createMessage();
    QCOMPARE(im::sendMessage(conv, msg, nullptr), int(im::IM_ERR_INVALID_ARGUMENT)); // no elements
    im::ElemHandle text = im::createElem(im::IM_ELEM_TEXT);
    im::setTextContent(text, "hi", 2);
    im::addElem(msg, text);
    im::destroyElem(text);
    static std::atomic<int> failed{0};
    im::CommCallback cb;
    cb.onError = [](int code, const char *, void *) { failed = code; };
    QCOMPARE(im::sendMessage(conv, msg, &cb), int(im::IM_OK));
    QTRY_COMPARE(failed.load(), 2004);
    im::destroyMessage(msg);
    im::destroyConversation(conv);
  }

  void rootViewHasNoHardwarePath() {
    iLiveRootView *view = iLiveCreateRootView();
    QCOMPARE(view->hardwareSupport(), 0);
    QCOMPARE(view->addView("t", VIDEO_SRC_CAMERA, ViewRecord()), int(ERR_NOT_INITIALISED));
    QCOMPARE(view->init(0x1234), 0);
    view->setBackgroundColor(0xff000000);
    QCOMPARE(view->addView("t", VIDEO_SRC_CAMERA, ViewRecord()), 0);
    QCOMPARE(view->removeView("t", VIDEO_SRC_CAMERA), 0);
    QVERIFY(view->removeView("t", VIDEO_SRC_CAMERA) != 0);
    view->destroy();
  }

  void testPatternIsARealMovingPicture() {
    const QByteArray a = ilivesdk::TestPatternCamera::picture(0);
    const QByteArray b = ilivesdk::TestPatternCamera::picture(5);
    QCOMPARE(a.size(), hubproto::i420Size(640, 480));
    QVERIFY(a != b); // the block moved
    // Odd and tiny sizes stay inside their buffer.
    QCOMPARE(ilivesdk::TestPatternCamera::picture(3, 5, 3).size(), hubproto::i420Size(5, 3));
    QCOMPARE(ilivesdk::TestPatternCamera::picture(3, 1, 1).size(), hubproto::i420Size(1, 1));
    ilivesdk::VideoConverter convert;
    const QByteArray bgr = convert.toBgr24(a, 640, 480);
    QCOMPARE(bgr.size(), 640 * 480 * 3);
    auto pixel = [&](int x, int y) { return reinterpret_cast<const uchar *>(bgr.constData()) + (y * 640 + x) * 3; };
    // Second bar yellow: much red and green, little blue. Sixth bar red: red only.
    const uchar *yellow = pixel(120, 100);
    QVERIFY(yellow[2] > 200 && yellow[1] > 200 && yellow[0] < 60);
    const uchar *red = pixel(400, 100);
    QVERIFY(red[2] > 200 && red[1] < 60 && red[0] < 60);
    QVERIFY(convert.toBgr24(QByteArray(10, 'x'), 640, 480).isEmpty());
  }

  // Camera pictures: one conversion context for as long as format and size stay, big
  // pictures scaled down to 640 × 480 at most with their shape kept.
  void cameraPicturesReuseTheirContextAndAreCapped() {
    ilivesdk::VideoConverter convert;
    QByteArray bgra(1280 * 720 * 4, '\0');
    for (int i = 0; i < 1280 * 720; ++i)
      bgra[i * 4 + 2] = char(255); // red
    const uchar *planes[4] = {reinterpret_cast<const uchar *>(bgra.constData()), nullptr, nullptr, nullptr};
    const int strides[4] = {1280 * 4, 0, 0, 0};
    const int bgraFormat = 28; // AV_PIX_FMT_BGRA
    const QSize limit(640, 480);
    QSize size;
    QByteArray i420;
    for (int i = 0; i < 5; ++i)
      i420 = convert.toI420(planes, strides, bgraFormat, 1280, 720, limit, &size);
    QCOMPARE(convert.contextsMade(), 1);
    QCOMPARE(size, QSize(640, 360));
    QCOMPARE(i420.size(), hubproto::i420Size(640, 360));
    const QByteArray bgr = convert.toBgr24(i420, 640, 360);
    const uchar *px = reinterpret_cast<const uchar *>(bgr.constData()) + (180 * 640 + 320) * 3;
    QVERIFY(px[2] > 200 && px[1] < 60 && px[0] < 60);
    QCOMPARE(convert.contextsMade(), 2); // the other direction has its own
    for (int i = 0; i < 3; ++i)
      convert.toBgr24(i420, 640, 360);
    // Small pictures keep their size; a new size makes a new context.
    const int smallStrides[4] = {320 * 4, 0, 0, 0};
    QVERIFY(!convert.toI420(planes, smallStrides, bgraFormat, 320, 240, limit, &size).isEmpty());
    QCOMPARE(size, QSize(320, 240));
    QCOMPARE(convert.contextsMade(), 3);
  }

  void mixerAddsVoicesAndBoundsQueues() {
    ilivesdk::AudioMixer mixer;
    auto pcm = [](qint16 value, int samples) {
      QByteArray b(samples * 2, '\0');
      for (int i = 0; i < samples; ++i)
        qToLittleEndian<qint16>(value, b.data() + 2 * i);
      return b;
    };
    mixer.push("a", pcm(1000, 10));
    mixer.push("b", pcm(-300, 5));
    mixer.push("c", pcm(32000, 10));
    mixer.push("d", pcm(1000, 10));
    QByteArray out(20, '\0');
    QCOMPARE(mixer.read(out.data(), 20), qint64(20));
    QCOMPARE(qFromLittleEndian<qint16>(out.constData()), qint16(32767)); // clipped, not wrapped
    mixer.clear();
    mixer.push("a", pcm(1000, 10));
    mixer.push("b", pcm(-300, 5));
    QCOMPARE(mixer.read(out.data(), 20), qint64(20));
    QCOMPARE(qFromLittleEndian<qint16>(out.constData() + 2 * 4), qint16(700));
    QCOMPARE(qFromLittleEndian<qint16>(out.constData() + 2 * 5), qint16(1000));
    // Nobody speaking still gives a chunk of silence; a long talker is cut to half a second.
    QByteArray silence(ilivesdk::AudioMixer::kChunkBytes, 'x');
    QCOMPARE(mixer.read(silence.data(), silence.size()), qint64(silence.size()));
    QCOMPARE(silence.count('\0'), silence.size());
    mixer.push("long", pcm(5, 20000));
    QCOMPARE(mixer.queuedBytes("long"), qint64(ilivesdk::AudioMixer::kMaxQueuedBytes));
  }
};

QTEST_GUILESS_MAIN(TestSdkValues)
#include "test_sdkvalues.moc"
