#pragma once
// The callbacks the program installs on the live SDK, read by the SDK's threads.

#include "sdk/live/ilive.h"

#include <QMutex>

#include <atomic>

namespace ilivesdk {

template <typename Fn> struct Hook {
  Fn fn = nullptr;
  void *data = nullptr;
};

class LiveCallbacks {
public:
  void setForceOffline(ilive::ForceOfflineCallback cb);
  void setLocalVideo(ilive::VideoFrameCallback cb, void *data);
  void setRemoteVideo(ilive::VideoFrameCallback cb, void *data);
  void setDeviceOperation(ilive::DeviceOperationCallback cb, void *data);
  void setColorFormat(ilive::ColorFormat format) { m_colorFormat = format; }

  ilive::ForceOfflineCallback forceOffline() const;
  Hook<ilive::VideoFrameCallback> localVideo() const;
  Hook<ilive::VideoFrameCallback> remoteVideo() const;
  Hook<ilive::DeviceOperationCallback> deviceOperation() const;
  ilive::ColorFormat colorFormat() const { return m_colorFormat; }

private:
  mutable QMutex m_lock;
  ilive::ForceOfflineCallback m_forceOffline = nullptr;
  Hook<ilive::VideoFrameCallback> m_local;
  Hook<ilive::VideoFrameCallback> m_remote;
  Hook<ilive::DeviceOperationCallback> m_device;
  std::atomic<ilive::ColorFormat> m_colorFormat{ilive::COLOR_FORMAT_I420};
};

} // namespace ilivesdk
