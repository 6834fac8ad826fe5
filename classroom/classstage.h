#pragma once
// Going on and off stage at the teacher's command: the live SDK role change, the microphone,
// the session status, the announcements to the class and the published stream (retried three
// times, 200 ms apart, without blocking), and the camera opened or closed by the teacher.

#include "classroom/classstatus.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

class LiveCalls;
class ClassControls;

class ClassStageHost {
public:
  virtual ~ClassStageHost() = default;
  virtual bool isLeaving() const = 0;
  virtual QString userId() const = 0;
  virtual ClassStatus sessionStatus() const = 0;
  virtual void setStatus(ClassStatus status) = 0;
  virtual void sendHeartbeat() = 0;
  virtual bool openMic() = 0;
  virtual void closeMic() = 0;
  virtual bool openCamera() = 0;
  virtual void closeCamera() = 0;
  virtual void setCameraUp(bool up) = 0;
  // The own row of the member roster: status text "连麦" / empty, stage column "2" / "0".
  virtual void markOwnRow(bool onStage) = 0;
  virtual void removeOwnTile() = 0;
  // The local settings ("disable_camera", "camera_index").
  virtual QVariantMap localSettings() = 0;
};

class ClassStage : public QObject {
  Q_OBJECT
public:
  enum Role { GoingOnStage = 3, GoingOffStage = 2 };
  static constexpr int kPushRetries = 3;
  static constexpr int kPushRetryDelayMs = 200;

  ClassStage(ClassStageHost *host, LiveCalls *live, ClassControls *stageControl, QObject *parent);

  void goOnStage();
  void goOffStage();
  // 2103: the camera first (unless the local settings turn it off), then the stage.
  void cameraRequested();
  // 2105.
  void cameraClosedByTeacher();
  // Stops the published stream, if any (leaving the class).
  void stopPushStream();

  int requestedRole() const { return requestedRole_; }
  int pushRetries() const { return pushRetries_; }
  quint64 pushChannelId() const { return pushChannelId_; }

private slots:
  void onRoleChanged();
  void onRoleChangeFailed(int code, const QString &desc);
  void onPushStarted(quint64 channelId);
  void onPushFailed(int code, const QString &desc);
  void onPushStopped();
  void onPushStopFailed(int code, const QString &desc);

private:
  void continueAfterRole();
  void acceptInteract();
  void finishOffStage();
  void retryPush();

  ClassStageHost *host_;
  LiveCalls *live_;
  ClassControls *stageControl_;
  int requestedRole_ = 0;
  int pushRetries_ = 0;
  quint64 pushChannelId_ = 0;
};
