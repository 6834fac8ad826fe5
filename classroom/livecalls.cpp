#include "classroom/livecalls.h"

#include "classroom/callbackticket.h"

#include <QCoreApplication>
#include <QDebug>
#include <QThread>

namespace {

using SuccSignal = void (LiveCalls::*)();
using ErrSignal = void (LiveCalls::*)(int, const QString &);

template <SuccSignal S> void succ(void *data) {
  if (LiveCalls *self = CallbackTicket::resolve<LiveCalls>(data))
    emit(self->*S)();
}

template <ErrSignal S> void fail(const char *module, int code, const char *desc, void *data) {
  LiveCalls *self = CallbackTicket::resolve<LiveCalls>(data);
  if (!self) {
    qDebug("live SDK answer for a closed classroom dropped: %s %d", module ? module : "", code);
    return;
  }
  emit(self->*S)(code, QString::fromUtf8(desc ? desc : ""));
}

QByteArray utf8(const QString &s) { return s.toUtf8(); }

} // namespace

LiveCalls::LiveCalls(QObject *parent) : QObject(parent) {}

LiveCalls::~LiveCalls() { revoke(); }

void LiveCalls::revoke() {
  revoked_ = true;
  CallbackTicket::revoke(this);
}

void *LiveCalls::ticket() { return revoked_ ? nullptr : CallbackTicket::of(this); }

void LiveCalls::registerWindowCallbacks() {
  GetILive()->setForceOfflineCallback(&LiveCalls::onForceOffline);
  GetILive()->setRemoteVideoCallback(&LiveCalls::onRemoteFrame, ticket());
}

void LiveCalls::registerRoomCallbacks() {
  GetILive()->setLocalVideoCallback(&LiveCalls::onLocalFrame, ticket());
  GetILive()->setDeviceOperationCallback(&LiveCalls::onDeviceOperation, ticket());
}

void LiveCalls::login(const QString &userId, const QString &userSig, const QString &imToken) {
  GetILive()->setImToken(utf8(imToken).constData());
  GetILive()->login(utf8(userId).constData(), utf8(userSig).constData(),
                    &succ<&LiveCalls::loginSucceeded>, &fail<&LiveCalls::loginFailed>, ticket());
}

void LiveCalls::setMediaSeat(const QString &url, const QString &token, quint64 room, quint64 firstFeed) {
  GetILive()->setMediaSeat(utf8(url).constData(), utf8(token).constData(), room, firstFeed);
}

// The room grant goes with the join on every line: the hub lets nobody in without it.
void LiveCalls::joinRoom(quint32 roomId, const QString &authBuffer) {
  ilive::RoomOption option;
  option.roomId = roomId;
  option.controlRole = "Guest";
  const QByteArray auth = utf8(authBuffer);
  option.authBuffer = ilive::String(auth.constData(), size_t(auth.size()));
  option.connectionLost = &LiveCalls::onConnectionLost;
  option.reconnecting = &LiveCalls::onReconnecting;
  option.memberStatus = &LiveCalls::onMemberStatus;
  option.quality = &LiveCalls::onQuality;
  option.data = ticket();
  GetILive()->joinRoom(option, &succ<&LiveCalls::joinSucceeded>, &fail<&LiveCalls::joinFailed>,
                       ticket());
}

void LiveCalls::quitRoom() {
  GetILive()->quitRoom(&succ<&LiveCalls::quitSucceeded>, &fail<&LiveCalls::quitFailed>, ticket());
}

void LiveCalls::logout() {
  GetILive()->logout(&succ<&LiveCalls::logoutSucceeded>, &fail<&LiveCalls::logoutFailed>,
                     ticket());
}

void LiveCalls::changeRole(const QString &role) {
  GetILive()->changeRole(utf8(role).constData(), &succ<&LiveCalls::roleChanged>,
                         &fail<&LiveCalls::roleChangeFailed>, ticket());
}

void LiveCalls::requestScreenStream(const QString &teacherId) {
  ilive::Vector<ilive::Pair<ilive::String, ilive::VideoSrc>> streams;
  const QByteArray id = utf8(teacherId);
  streams.push_back({ilive::String(id.constData(), size_t(id.size())), ilive::VIDEO_SRC_SCREEN});
  GetILive()->requestRemoteStreams(streams, &succ<&LiveCalls::screenStreamReady>,
                                   &fail<&LiveCalls::screenStreamFailed>, ticket());
}

void LiveCalls::startPushStream() {
  ilive::PushStreamOption option;
  option.dataType = ilive::PUSH_CAMERA;
  GetILive()->startPushStream(option, &LiveCalls::onPushStarted, &fail<&LiveCalls::pushFailed>,
                              ticket());
}

void LiveCalls::stopPushStream(quint64 channelId) {
  GetILive()->stopPushStream(channelId, &succ<&LiveCalls::pushStopped>,
                             &fail<&LiveCalls::pushStopFailed>, ticket());
}

void LiveCalls::stopRemoteMedia() { GetILive()->stopRemoteMedia(); }

void LiveCalls::onPushStarted(uint64_t channelId, void *data) {
  if (LiveCalls *self = CallbackTicket::resolve<LiveCalls>(data))
    emit self->pushStarted(channelId);
}

// The force-offline callback carries no user pointer: every classroom still alive hears it
// (there is at most one).
void LiveCalls::onForceOffline() {
  auto tell = [] {
    for (QObject *o : CallbackTicket::owners())
      if (auto *self = qobject_cast<LiveCalls *>(o))
        emit self->kicked();
  };
  if (QThread::currentThread() == QCoreApplication::instance()->thread())
    tell();
  else
    QMetaObject::invokeMethod(QCoreApplication::instance(), tell, Qt::QueuedConnection);
}

void LiveCalls::onLocalFrame(const ilive::LiveVideoFrame *frame, void *data) {
  if (!frame)
    return;
  CallbackTicket::visit(data, [frame](QObject *o) {
    auto *self = static_cast<LiveCalls *>(o);
    if (VideoFrameSink *sink = self->frameSink_)
      sink->localFrame(*frame);
  });
}

void LiveCalls::onRemoteFrame(const ilive::LiveVideoFrame *frame, void *data) {
  if (!frame)
    return;
  CallbackTicket::visit(data, [frame](QObject *o) {
    auto *self = static_cast<LiveCalls *>(o);
    if (self->dropRemote_)
      return;
    if (VideoFrameSink *sink = self->frameSink_)
      sink->remoteFrame(*frame);
  });
}

void LiveCalls::onDeviceOperation(ilive::DeviceOperation op, int32_t result, void *data) {
  if (LiveCalls *self = CallbackTicket::resolve<LiveCalls>(data))
    emit self->deviceOperation(int(op), int(result));
}

void LiveCalls::onConnectionLost(int32_t reason, const char *text, void *data) {
  if (LiveCalls *self = CallbackTicket::resolve<LiveCalls>(data))
    emit self->connectionLost(int(reason), QString::fromUtf8(text ? text : ""));
}

void LiveCalls::onReconnecting(bool on, void *data) {
  if (LiveCalls *self = CallbackTicket::resolve<LiveCalls>(data))
    emit self->reconnecting(on);
}

void LiveCalls::onMemberStatus(ilive::MemberEvent event, const ilive::Vector<ilive::String> &ids,
                               void *data) {
  LiveCalls *self = CallbackTicket::resolve<LiveCalls>(data);
  if (!self)
    return;
  QStringList list;
  for (const ilive::String &id : ids)
    list << QString::fromUtf8(id.c_str(), int(id.size()));
  emit self->memberStatus(int(event), list);
}

void LiveCalls::onQuality(const ilive::QualityReport &report, void *data) {
  if (LiveCalls *self = CallbackTicket::resolve<LiveCalls>(data))
    emit self->quality(report.lossRateSend, report.lossRateRecv);
}
