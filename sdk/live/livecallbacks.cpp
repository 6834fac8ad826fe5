#include "sdk/live/livecallbacks.h"

namespace ilivesdk {

void LiveCallbacks::setForceOffline(ilive::ForceOfflineCallback cb) {
  QMutexLocker guard(&m_lock);
  m_forceOffline = cb;
}

void LiveCallbacks::setLocalVideo(ilive::VideoFrameCallback cb, void *data) {
  QMutexLocker guard(&m_lock);
  m_local = {cb, data};
}

void LiveCallbacks::setRemoteVideo(ilive::VideoFrameCallback cb, void *data) {
  QMutexLocker guard(&m_lock);
  m_remote = {cb, data};
}

void LiveCallbacks::setDeviceOperation(ilive::DeviceOperationCallback cb, void *data) {
  QMutexLocker guard(&m_lock);
  m_device = {cb, data};
}

ilive::ForceOfflineCallback LiveCallbacks::forceOffline() const {
  QMutexLocker guard(&m_lock);
  return m_forceOffline;
}

Hook<ilive::VideoFrameCallback> LiveCallbacks::localVideo() const {
  QMutexLocker guard(&m_lock);
  return m_local;
}

Hook<ilive::VideoFrameCallback> LiveCallbacks::remoteVideo() const {
  QMutexLocker guard(&m_lock);
  return m_remote;
}

Hook<ilive::DeviceOperationCallback> LiveCallbacks::deviceOperation() const {
  QMutexLocker guard(&m_lock);
  return m_device;
}

} // namespace ilivesdk
