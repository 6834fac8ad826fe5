#include "sdk/live/livesdk.h"

#include "sdk/im/imbridge.h"
#include "sdk/live/completion.h"
#include "sdk/live/devicecatalog.h"
#include "sdk/live/livesession.h"
#include "sdk/live/mediaengine.h"
#include "sdk/live/messageconvert.h"

#include <QCoreApplication>
#include <QThread>

namespace ilivesdk {

namespace {

using DeviceList = ilive::Vector<ilive::Pair<ilive::String, ilive::String>>;

int fill(DeviceList &out, const QList<DeviceEntry> &devices) {
  out.clear();
  for (const DeviceEntry &d : devices) {
    const QByteArray id = d.id.toUtf8();
    const QByteArray name = d.name.toUtf8();
    out.push_back({ilive::String(id.constData(), static_cast<size_t>(id.size())),
                   ilive::String(name.constData(), static_cast<size_t>(name.size()))});
  }
  return ilive::NO_ERR;
}

QString text(const char *s) { return QString::fromUtf8(s ? s : ""); }
QString text(const ilive::String &s) {
  return QString::fromUtf8(s.c_str(), static_cast<int>(s.size()));
}

void runOn(QObject *target, std::function<void()> fn, bool wait) {
  QMetaObject::invokeMethod(target, std::move(fn), wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

void releaseAtExit() { LiveSdk::instance().release(nullptr, nullptr, nullptr); }

} // namespace

LiveSdk &LiveSdk::instance() {
  static LiveSdk sdk;
  return sdk;
}

LiveSdk::~LiveSdk() { stopThreads(); }

int LiveSdk::init(uint32_t, uint32_t, bool imSupport) {
  if (isReady())
    return ilive::NO_ERR;
  if (!QCoreApplication::instance())
    return ilive::ERR_NOT_INITIALISED;
  m_netThread = new QThread;
  m_netThread->setObjectName(QStringLiteral("tarnwick-sdk-net"));
  m_mediaThread = new QThread;
  m_mediaThread->setObjectName(QStringLiteral("tarnwick-sdk-media"));
  m_media = new MediaEngine(&m_callbacks);
  m_session = new LiveSession(&m_callbacks, m_media);
  m_session->setImEnabled(imSupport);
  LiveSession *session = m_session;
  m_media->setFrameSink([session](const hubproto::MediaFrame &frame) {
    QMetaObject::invokeMethod(session, [session, frame] { session->sendFrame(frame); }, Qt::QueuedConnection);
  });
  m_media->setKeyframeAsker([session](const QString &owner, hubproto::Source source) {
    QMetaObject::invokeMethod(session, [session, owner, source] { session->askKeyframe(owner, source); },
                              Qt::QueuedConnection);
  });
  m_media->moveToThread(m_mediaThread);
  m_session->moveToThread(m_netThread);
  m_mediaThread->start();
  m_netThread->start();
  static bool exitHooked = false;
  if (!exitHooked) {
    exitHooked = true;
    qAddPostRoutine(releaseAtExit);
  }
  return ilive::NO_ERR;
}

void LiveSdk::release(ilive::SuccCallback succ, ilive::ErrCallback err, void *data) {
  if (isReady()) {
    QThread *here = QThread::currentThread();
    LiveSession *session = m_session;
    MediaEngine *media = m_media;
    // Media first: once its sources are stopped nothing posts frames to the session any more.
    runOn(media, [media, here] {
      media->shutdown();
      media->moveToThread(here);
    }, true);
    runOn(session, [session, here] {
      session->shutdown();
      session->moveToThread(here);
    }, true);
    stopThreads();
    delete session;
    delete media;
    m_session = nullptr;
    m_media = nullptr;
    imbridge::setSender({});
  }
  Completion{succ, err, data}.finish(ilive::NO_ERR, QString());
}

void LiveSdk::stopThreads() {
  for (QThread **t : {&m_netThread, &m_mediaThread}) {
    if (!*t)
      continue;
    (*t)->quit();
    (*t)->wait();
    delete *t;
    *t = nullptr;
  }
}

void LiveSdk::setChannelMode(int32_t mode, const char *host) {
  m_channelMode = mode;
  m_hubHost = text(host);
}

void LiveSdk::setHubAddress(const char *url) { m_hubAddress = text(url); }

void LiveSdk::setImAddress(const char *address) {
  QMutexLocker lock(&m_imLock);
  m_imAddress = text(address);
}

void LiveSdk::setImToken(const char *token) {
  QMutexLocker lock(&m_imLock);
  m_imToken = text(token);
}

void LiveSdk::setMediaAddress(const char *address) {
  QMutexLocker lock(&m_imLock);
  m_mediaAddress = text(address);
}

void LiveSdk::setMediaSeat(const char *address, const char *token, uint64_t room, uint64_t firstFeed) {
  QMutexLocker lock(&m_imLock);
  m_mediaSeat = MediaRoute{text(address), text(token), room, firstFeed};
}

QString LiveSdk::hubUrl() const {
  if (m_hubHost.isEmpty())
    return m_hubAddress;
  return m_hubHost.contains(QLatin1String("://")) ? m_hubHost : QStringLiteral("ws://") + m_hubHost;
}

void LiveSdk::setForceOfflineCallback(ilive::ForceOfflineCallback cb) { m_callbacks.setForceOffline(cb); }

void LiveSdk::setLocalVideoCallback(ilive::VideoFrameCallback cb, void *data) {
  m_callbacks.setLocalVideo(cb, data);
}

void LiveSdk::setRemoteVideoCallback(ilive::VideoFrameCallback cb, void *data) {
  m_callbacks.setRemoteVideo(cb, data);
}

void LiveSdk::setDeviceOperationCallback(ilive::DeviceOperationCallback cb, void *data) {
  m_callbacks.setDeviceOperation(cb, data);
}

void LiveSdk::setVideoColorFormat(ilive::ColorFormat format) {
  m_callbacks.setColorFormat(format == ilive::COLOR_FORMAT_BGR24 ? format : ilive::COLOR_FORMAT_I420);
}

void LiveSdk::onSession(std::function<void(LiveSession &)> fn) {
  LiveSession *session = m_session;
  runOn(session, [session, fn] { fn(*session); }, false);
}

void LiveSdk::onMedia(std::function<void(MediaEngine &)> fn) {
  MediaEngine *media = m_media;
  runOn(media, [media, fn] { fn(*media); }, false);
}

void LiveSdk::login(const char *userId, const char *userSig, ilive::SuccCallback succ, ilive::ErrCallback err,
                    void *data) {
  const Completion done{succ, err, data};
  if (!isReady())
    return done.finish(ilive::ERR_NOT_INITIALISED, QStringLiteral("the SDK is not initialised"));
  const QString user = text(userId);
  const QString sig = text(userSig);
  const QString url = hubUrl();
  ImRoute im;
  MediaRoute media;
  {
    QMutexLocker lock(&m_imLock);
    im = ImRoute{m_imAddress, m_imToken};
    // Janus when the deployment says so; the seat's own address wins over the deployment's.
    if (!m_mediaAddress.isEmpty()) {
      media = m_mediaSeat;
      if (media.address.isEmpty())
        media.address = m_mediaAddress;
    }
  }
  onSession([user, sig, url, im, media, done](LiveSession &s) { s.login(user, sig, url, im, media, done); });
}

void LiveSdk::logout(ilive::SuccCallback succ, ilive::ErrCallback err, void *data) {
  const Completion done{succ, err, data};
  if (!isReady())
    return done.finish(ilive::ERR_NOT_INITIALISED, QStringLiteral("the SDK is not initialised"));
  onSession([done](LiveSession &s) { s.logout(done); });
}

void LiveSdk::joinRoom(const ilive::RoomOption &option, ilive::SuccCallback succ, ilive::ErrCallback err,
                       void *data) {
  const Completion done{succ, err, data};
  if (!isReady())
    return done.finish(ilive::ERR_NOT_INITIALISED, QStringLiteral("the SDK is not initialised"));
  RoomSpec room;
  room.roomId = option.roomId;
  room.role = option.controlRole.empty() ? QStringLiteral("Guest") : text(option.controlRole);
  room.authBuffer = text(option.authBuffer);
  room.connectionLost = option.connectionLost;
  room.memberStatus = option.memberStatus;
  room.quality = option.quality;
  room.reconnecting = option.reconnecting;
  room.data = option.data;
  onSession([room, done](LiveSession &s) { s.join(room, done); });
}

void LiveSdk::quitRoom(ilive::SuccCallback succ, ilive::ErrCallback err, void *data) {
  const Completion done{succ, err, data};
  if (!isReady())
    return done.finish(ilive::ERR_NOT_INITIALISED, QStringLiteral("the SDK is not initialised"));
  onSession([done](LiveSession &s) { s.quit(done); });
}

void LiveSdk::changeRole(const char *role, ilive::SuccCallback succ, ilive::ErrCallback err, void *data) {
  const Completion done{succ, err, data};
  if (!isReady())
    return done.finish(ilive::ERR_NOT_INITIALISED, QStringLiteral("the SDK is not initialised"));
  const QString r = text(role);
  onSession([r, done](LiveSession &s) { s.changeRole(r, done); });
}

void LiveSdk::requestRemoteStreams(const ilive::Vector<ilive::Pair<ilive::String, ilive::VideoSrc>> &streams,
                                   ilive::SuccCallback succ, ilive::ErrCallback err, void *data) {
  const Completion done{succ, err, data};
  if (!isReady())
    return done.finish(ilive::ERR_NOT_INITIALISED, QStringLiteral("the SDK is not initialised"));
  QList<sdk::StreamRequest> list;
  for (const auto &s : streams) {
    if (s.second < ilive::VIDEO_SRC_CAMERA || s.second > ilive::VIDEO_SRC_MEDIA || s.first.empty())
      return done.finish(ilive::ERR_BAD_ARGUMENT, QStringLiteral("a stream is a user id and a video source"));
    list.append({text(s.first), static_cast<hubproto::Source>(s.second)});
  }
  if (list.isEmpty())
    return done.finish(ilive::ERR_BAD_ARGUMENT, QStringLiteral("no stream asked for"));
  onSession([list, done](LiveSession &s) { s.requestStreams(list, done); });
}

void LiveSdk::startPushStream(const ilive::PushStreamOption &option, ilive::PushStreamSuccCallback succ,
                              ilive::ErrCallback err, void *data) {
  const PushCompletion done{succ, err, data};
  if (!isReady())
    return done.finish(ilive::ERR_NOT_INITIALISED, QStringLiteral("the SDK is not initialised"), 0);
  const ilive::PushDataType type = option.dataType;
  onSession([type, done](LiveSession &s) { s.startPush(type, done); });
}

void LiveSdk::stopPushStream(uint64_t channelId, ilive::SuccCallback succ, ilive::ErrCallback err, void *data) {
  const Completion done{succ, err, data};
  if (!isReady())
    return done.finish(ilive::ERR_NOT_INITIALISED, QStringLiteral("the SDK is not initialised"));
  onSession([channelId, done](LiveSession &s) { s.stopPush(channelId, done); });
}

void LiveSdk::sendMessage(bool group, const QString &peer, const ilive::Message &message, ilive::SuccCallback succ,
                          ilive::ErrCallback err, void *data) {
  const Completion done{succ, err, data};
  if (!isReady())
    return done.finish(ilive::ERR_NOT_INITIALISED, QStringLiteral("the SDK is not initialised"));
  hubproto::Conversation conv;
  conv.type = group ? hubproto::Conversation::Group : hubproto::Conversation::C2C;
  conv.peer = peer;
  if (!group && peer.isEmpty())
    return done.finish(ilive::ERR_BAD_ARGUMENT, QStringLiteral("no receiver"));
  const QVector<hubproto::Element> elems = toHubElements(message);
  onSession([conv, elems, done](LiveSession &s) {
    s.sendMessage(conv, elems, false, QString(), [done](int code, const QString &desc) { done.finish(code, desc); });
  });
}

void LiveSdk::sendGroupMessage(const ilive::Message &message, ilive::SuccCallback succ, ilive::ErrCallback err,
                               void *data) {
  sendMessage(true, QString(), message, succ, err, data);
}

void LiveSdk::sendC2CMessage(const char *dstUser, const ilive::Message &message, ilive::SuccCallback succ,
                             ilive::ErrCallback err, void *data) {
  sendMessage(false, text(dstUser), message, succ, err, data);
}

int LiveSdk::getCameraList(DeviceList &out) { return fill(out, cameras()); }

int LiveSdk::getMicList(DeviceList &out) { return fill(out, microphones()); }

int LiveSdk::getSpeakerList(DeviceList &out) { return fill(out, speakers()); }

int LiveSdk::deviceCall(bool known, std::function<void(MediaEngine &)> fn) {
  if (!isReady())
    return ilive::ERR_NOT_INITIALISED;
  if (!known)
    return ilive::ERR_NO_DEVICE;
  onMedia(std::move(fn));
  return ilive::NO_ERR;
}

int LiveSdk::openCamera(const char *deviceId) {
  const QString id = text(deviceId);
  return deviceCall(containsDevice(cameras(), id), [id](MediaEngine &m) { m.openCamera(id); });
}

int LiveSdk::closeCamera() {
  return deviceCall(true, [](MediaEngine &m) { m.closeCamera(); });
}

int LiveSdk::openMic(const char *deviceId) {
  const QString id = text(deviceId);
  const int volume = static_cast<int>(m_micVolume);
  return deviceCall(containsDevice(microphones(), id), [id, volume](MediaEngine &m) { m.openMic(id, volume); });
}

int LiveSdk::closeMic() {
  return deviceCall(true, [](MediaEngine &m) { m.closeMic(); });
}

int LiveSdk::openSpeaker(const char *deviceId) {
  const QString id = text(deviceId);
  const int volume = static_cast<int>(m_speakerVolume);
  return deviceCall(containsDevice(speakers(), id), [id, volume](MediaEngine &m) { m.openSpeaker(id, volume); });
}

int LiveSdk::closeSpeaker() {
  return deviceCall(true, [](MediaEngine &m) { m.closeSpeaker(); });
}

int LiveSdk::setMicVolume(uint32_t volume) {
  m_micVolume = qMin<uint32_t>(volume, 100);
  const int v = static_cast<int>(m_micVolume);
  return isReady() ? deviceCall(true, [v](MediaEngine &m) { m.setMicVolume(v); }) : ilive::NO_ERR;
}

int LiveSdk::setSpeakerVolume(uint32_t volume) {
  m_speakerVolume = qMin<uint32_t>(volume, 100);
  const int v = static_cast<int>(m_speakerVolume);
  return isReady() ? deviceCall(true, [v](MediaEngine &m) { m.setSpeakerVolume(v); }) : ilive::NO_ERR;
}

int LiveSdk::stopRemoteMedia() {
  return deviceCall(true, [](MediaEngine &m) { m.setRemoteEnabled(false); });
}

} // namespace ilivesdk

ilive::iLive *GetILive() { return &ilivesdk::LiveSdk::instance(); }
