#include "classroom/classbackend.h"

#include "net/sxbserverhelper.h"

namespace {

const QString kLiveService = QStringLiteral("live-service");
const QString kChatService = QStringLiteral("chat-service");
const QString kIdList = QStringLiteral("idlist");

} // namespace

ClassBackend::ClassBackend(ClassBackendListener *listener, QObject *parent)
    : QObject(parent), listener_(listener) {}

QString ClassBackend::deviceText(const QString &lineType) {
  return QStringLiteral("%1_%2%3_%4").arg(QStringLiteral("PC2.0")).arg(5).arg(10208).arg(lineType);
}

QVariantMap ClassBackend::roomParams() const {
  return {{QStringLiteral("token"), token_}, {QStringLiteral("roomId"), uint(roomId_)}};
}

void ClassBackend::send(const QString &service, const QString &path, const QVariantMap &params,
                        void (*callback)(int, const QString &, const QVariantMap &, void *)) {
  SxbServerHelper::request(params, service, path, callback, this, this);
}

ClassBackendListener *ClassBackend::listenerOf(void *userData) {
  return static_cast<ClassBackend *>(userData)->listener_;
}

void ClassBackend::bgpLogin() {
  QVariantMap p = roomParams();
  p.insert(QStringLiteral("role"), 0);
  send(kLiveService, QStringLiteral("bgp_login"), p, &ClassBackend::loginReply);
}

void ClassBackend::teacherInRoom() {
  send(kLiveService, QStringLiteral("teacher_in_room"), roomParams(), &ClassBackend::teacherReply);
}

void ClassBackend::enter() {
  QVariantMap p = roomParams();
  p.insert(QStringLiteral("device"), deviceText());
  p.insert(QStringLiteral("clientLineType"), lineType_);
  p.insert(QStringLiteral("role"), 0);
  send(kLiveService, QStringLiteral("enter"), p, &ClassBackend::enterReply);
}

void ClassBackend::heartbeat(bool onStage, bool cameraUp) {
  if (listener_->isLeaving())
    return;
  QVariantMap p = roomParams();
  p.insert(QStringLiteral("device"), deviceText());
  p.insert(QStringLiteral("role"), onStage ? 2 : 0);
  p.insert(QStringLiteral("up"), cameraUp ? 1 : 0);
  send(kLiveService, QStringLiteral("heartbeat"), p, nullptr);
}

void ClassBackend::exit() {
  send(kLiveService, QStringLiteral("exit"), roomParams(), &ClassBackend::exitReply);
}

void ClassBackend::roomUser(int isAddition) {
  if (listener_->isLeaving())
    return;
  QVariantMap p = roomParams();
  p.insert(QStringLiteral("is_addition"), isAddition);
  send(kLiveService, QStringLiteral("room_user"), p, &ClassBackend::roomUserReply);
}

void ClassBackend::oneRoomUser(const QString &uid) {
  if (listener_->isLeaving())
    return;
  QVariantMap p = roomParams();
  p.insert(QStringLiteral("uid"), uid);
  send(kLiveService, QStringLiteral("one_room_user"), p, &ClassBackend::oneRoomUserReply);
}

void ClassBackend::uploadSignature() {
  if (listener_->isLeaving())
    return;
  const QVariantMap p{{QStringLiteral("bucketName"), QStringLiteral("public")},
                      {QStringLiteral("expired"), 3600},
                      {QStringLiteral("token"), token_}};
  send(kChatService, QStringLiteral("cos_multi_effect_signature2"), p,
       &ClassBackend::signatureReply);
}

void ClassBackend::loginReply(int code, const QString &info, const QVariantMap &data, void *self) {
  listenerOf(self)->onLoginReply(code, info, data);
}

void ClassBackend::teacherReply(int code, const QString &info, const QVariantMap &data,
                                void *self) {
  ClassBackendListener *l = listenerOf(self);
  if (!l->isLeaving())
    l->onTeacherInRoomReply(code, info, data);
}

void ClassBackend::enterReply(int code, const QString &info, const QVariantMap &data, void *self) {
  listenerOf(self)->onEnterReply(code, info, data);
}

void ClassBackend::exitReply(int code, const QString &info, const QVariantMap &, void *self) {
  listenerOf(self)->onExitReply(code, info);
}

void ClassBackend::roomUserReply(int code, const QString &, const QVariantMap &data, void *self) {
  ClassBackendListener *l = listenerOf(self);
  if (!l->isLeaving() && code == 0 && data.contains(kIdList))
    l->onRoomUserReply(data.value(kIdList).toList());
}

void ClassBackend::oneRoomUserReply(int code, const QString &, const QVariantMap &data,
                                    void *self) {
  ClassBackendListener *l = listenerOf(self);
  if (!l->isLeaving() && code == 0 && data.contains(kIdList))
    l->onOneRoomUserReply(data.value(kIdList).toList());
}

void ClassBackend::signatureReply(int, const QString &, const QVariantMap &data, void *self) {
  ClassBackendListener *l = listenerOf(self);
  if (!l->isLeaving())
    l->onSignatureReply(data);
}
