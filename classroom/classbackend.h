#pragma once
// The classroom's backend calls ("live-service" and "chat-service"), with their parameters and
// the guards common to them: while the session is leaving, heartbeat, rosters and the upload
// signature are not sent, and the answers of the teacher check, the rosters and the signature
// are dropped. Answers go to the listener; the backend object is each call's guard, so an
// answer arriving after the window (its parent) is gone is dropped by the request helper.

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

class ClassBackendListener {
public:
  virtual ~ClassBackendListener() = default;
  virtual bool isLeaving() const = 0;
  // Handled in every state.
  virtual void onLoginReply(int code, const QString &info, const QVariantMap &data) = 0;
  virtual void onEnterReply(int code, const QString &info, const QVariantMap &data) = 0;
  virtual void onExitReply(int code, const QString &info) = 0;
  // Not called once leaving.
  virtual void onTeacherInRoomReply(int code, const QString &info, const QVariantMap &data) = 0;
  // Only with code 0 and an "idlist", and not once leaving.
  virtual void onRoomUserReply(const QVariantList &idlist) = 0;
  virtual void onOneRoomUserReply(const QVariantList &idlist) = 0;
  // Whatever its code, but not once leaving.
  virtual void onSignatureReply(const QVariantMap &data) = 0;
};

class ClassBackend : public QObject {
  Q_OBJECT
public:
  ClassBackend(ClassBackendListener *listener, QObject *parent);

  void setToken(const QString &token) { token_ = token; }
  void setRoomId(int roomId) { roomId_ = roomId; }
  void setLineType(const QString &lineType) { lineType_ = lineType; }
  QString token() const { return token_; }
  int roomId() const { return roomId_; }
  QString lineType() const { return lineType_; }

  // "PC2.0_510208_<lineType>".
  static QString deviceText(const QString &lineType);
  QString deviceText() const { return deviceText(lineType_); }

  void bgpLogin();
  void teacherInRoom();
  void enter();
  // role 2 on stage, else 0; up 1 while the camera is published.
  void heartbeat(bool onStage, bool cameraUp);
  void exit();
  void roomUser(int isAddition);
  void oneRoomUser(const QString &uid);
  void uploadSignature();

private:
  QVariantMap roomParams() const;
  void send(const QString &service, const QString &path, const QVariantMap &params,
            void (*callback)(int, const QString &, const QVariantMap &, void *));
  static ClassBackendListener *listenerOf(void *userData);

  static void loginReply(int code, const QString &info, const QVariantMap &data, void *self);
  static void teacherReply(int code, const QString &info, const QVariantMap &data, void *self);
  static void enterReply(int code, const QString &info, const QVariantMap &data, void *self);
  static void exitReply(int code, const QString &info, const QVariantMap &data, void *self);
  static void roomUserReply(int code, const QString &info, const QVariantMap &data, void *self);
  static void oneRoomUserReply(int code, const QString &info, const QVariantMap &data, void *self);
  static void signatureReply(int code, const QString &info, const QVariantMap &data, void *self);

  ClassBackendListener *listener_;
  QString token_;
  int roomId_ = 0;
  QString lineType_;
};
