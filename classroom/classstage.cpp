#include "classroom/classstage.h"

#include "core/settingskeys.h"

#include "classroom/livecalls.h"
#include "classroom/classcontrols.h"
#include "messaging/classsend.h"
#include "sdk/live/ilive.h"

#include <QDebug>
#include <QTimer>

ClassStage::ClassStage(ClassStageHost *host, LiveCalls *live, ClassControls *stageControl,
                       QObject *parent)
    : QObject(parent), host_(host), live_(live), stageControl_(stageControl) {
  connect(live_, &LiveCalls::roleChanged, this, &ClassStage::onRoleChanged);
  connect(live_, &LiveCalls::roleChangeFailed, this, &ClassStage::onRoleChangeFailed);
  connect(live_, &LiveCalls::pushStarted, this, &ClassStage::onPushStarted);
  connect(live_, &LiveCalls::pushFailed, this, &ClassStage::onPushFailed);
  connect(live_, &LiveCalls::pushStopped, this, &ClassStage::onPushStopped);
  connect(live_, &LiveCalls::pushStopFailed, this, &ClassStage::onPushStopFailed);
}

void ClassStage::goOnStage() {
  requestedRole_ = GoingOnStage;
  live_->changeRole(QStringLiteral("LiveGuest"));
}

void ClassStage::goOffStage() {
  requestedRole_ = GoingOffStage;
  stopPushStream();
  live_->changeRole(QStringLiteral("Guest"));
}

void ClassStage::stopPushStream() {
  live_->stopPushStream(pushChannelId_);
  pushChannelId_ = 0;
}

void ClassStage::onRoleChanged() { continueAfterRole(); }

// Asking for the role one already has is as good as getting it.
void ClassStage::onRoleChangeFailed(int code, const QString &desc) {
  qDebug("changeRole failed: %d, %s", code, qUtf8Printable(desc));
  if (code == ilive::ERR_ROLE_UNCHANGED)
    continueAfterRole();
}

void ClassStage::continueAfterRole() {
  if (requestedRole_ == GoingOnStage)
    acceptInteract();
  else if (requestedRole_ == GoingOffStage)
    finishOffStage();
}

void ClassStage::acceptInteract() {
  if (!host_->openMic())
    return;
  qDebug("OnAcceptInteract");
  pushRetries_ = 0;
  host_->setStatus(ClassStatus::OnStage);
  host_->sendHeartbeat();
  g_sendGroupCustomCmd(ClassCommandCode::OnStage, host_->userId());
  host_->markOwnRow(true);
  stageControl_->onMic();
  live_->startPushStream();
}

void ClassStage::finishOffStage() {
  host_->setStatus(ClassStatus::Listening);
  host_->sendHeartbeat();
  host_->closeMic();
  g_sendGroupCustomCmd(ClassCommandCode::LeftStage, host_->userId());
  host_->markOwnRow(false);
  stageControl_->offMic();
}

void ClassStage::onPushStarted(quint64 channelId) {
  pushChannelId_ = channelId;
  qDebug("OnStartPushStreamSuc");
  // A start that succeeded on a retry finds the status lowered by the failure before it.
  if (requestedRole_ == GoingOnStage && host_->sessionStatus() != ClassStatus::OnStage)
    host_->setStatus(ClassStatus::OnStage);
}

void ClassStage::onPushFailed(int code, const QString &desc) {
  host_->setStatus(ClassStatus::Listening);
  qDebug("OnStartPushStreamErr--code=%d, desc=%s", code, qUtf8Printable(desc));
  if (pushRetries_ < kPushRetries)
    QTimer::singleShot(kPushRetryDelayMs, this, &ClassStage::retryPush);
  else
    goOffStage();
}

void ClassStage::retryPush() {
  if (host_->isLeaving() || requestedRole_ != GoingOnStage)
    return;
  ++pushRetries_;
  qDebug("OnStartPushStreamErr--retry:%d", pushRetries_);
  live_->startPushStream();
}

void ClassStage::onPushStopped() { qDebug("OnStopPushStreamSuc--"); }

void ClassStage::onPushStopFailed(int code, const QString &desc) {
  qDebug("OnStopPushStreamErr--code=%d, desc=%s", code, qUtf8Printable(desc));
}

void ClassStage::cameraRequested() {
  const QVariantMap settings = host_->localSettings();
  if (settings.value(settingskeys::kDisableCamera).toInt() == 1 ||
      settings.value(settingskeys::kCameraIndex).toInt() < 0) {
    goOnStage();
    return;
  }
  if (!host_->openCamera())
    return;
  host_->setCameraUp(true);
  g_sendGroupCustomCmd(ClassCommandCode::CameraOpened, host_->userId());
  goOnStage();
  stageControl_->onStage();
}

void ClassStage::cameraClosedByTeacher() {
  host_->closeCamera();
  host_->setCameraUp(false);
  g_sendGroupCustomCmd(ClassCommandCode::CameraClosed, host_->userId());
  host_->removeOwnTile();
  goOffStage();
  stageControl_->offStage();
}
