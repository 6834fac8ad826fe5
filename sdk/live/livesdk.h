#pragma once
// The process's live SDK object behind GetILive(): starts the network and media threads,
// forwards each operation to the thread that does it and keeps the program's callbacks.

#include "sdk/live/ilive.h"
#include "sdk/live/livecallbacks.h"
#include "sdk/live/mediaroute.h"

#include <QMutex>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QThread;

namespace ilivesdk {

class LiveSession;
class MediaEngine;

class LiveSdk : public ilive::iLive {
public:
  static LiveSdk &instance();

  int init(uint32_t appId, uint32_t accountType, bool imSupport) override;
  void release(ilive::SuccCallback succ, ilive::ErrCallback err, void *data) override;
  void setHubAddress(const char *url) override;
  void setChannelMode(int32_t mode, const char *host) override;
  void setImAddress(const char *address) override;
  void setImToken(const char *token) override;
  void setMediaAddress(const char *address) override;
  void setMediaSeat(const char *address, const char *token, uint64_t room, uint64_t firstFeed) override;
  void setForceOfflineCallback(ilive::ForceOfflineCallback cb) override;
  void setLocalVideoCallback(ilive::VideoFrameCallback cb, void *data) override;
  void setRemoteVideoCallback(ilive::VideoFrameCallback cb, void *data) override;
  void setDeviceOperationCallback(ilive::DeviceOperationCallback cb, void *data) override;
  void setVideoColorFormat(ilive::ColorFormat format) override;

  void login(const char *userId, const char *userSig, ilive::SuccCallback succ, ilive::ErrCallback err,
             void *data) override;
  void logout(ilive::SuccCallback succ, ilive::ErrCallback err, void *data) override;
  void joinRoom(const ilive::RoomOption &option, ilive::SuccCallback succ, ilive::ErrCallback err,
                void *data) override;
  void quitRoom(ilive::SuccCallback succ, ilive::ErrCallback err, void *data) override;
  void changeRole(const char *role, ilive::SuccCallback succ, ilive::ErrCallback err, void *data) override;
  void requestRemoteStreams(const ilive::Vector<ilive::Pair<ilive::String, ilive::VideoSrc>> &streams,
                            ilive::SuccCallback succ, ilive::ErrCallback err, void *data) override;
  void startPushStream(const ilive::PushStreamOption &option, ilive::PushStreamSuccCallback succ,
                       ilive::ErrCallback err, void *data) override;
  void stopPushStream(uint64_t channelId, ilive::SuccCallback succ, ilive::ErrCallback err,
                      void *data) override;
  void sendGroupMessage(const ilive::Message &message, ilive::SuccCallback succ, ilive::ErrCallback err,
                        void *data) override;
  void sendC2CMessage(const char *dstUser, const ilive::Message &message, ilive::SuccCallback succ,
                      ilive::ErrCallback err, void *data) override;

  int getCameraList(ilive::Vector<ilive::Pair<ilive::String, ilive::String>> &cameras) override;
  int getMicList(ilive::Vector<ilive::Pair<ilive::String, ilive::String>> &mics) override;
  int getSpeakerList(ilive::Vector<ilive::Pair<ilive::String, ilive::String>> &speakers) override;
  int openCamera(const char *deviceId) override;
  int closeCamera() override;
  int openMic(const char *deviceId) override;
  int closeMic() override;
  int openSpeaker(const char *deviceId) override;
  int closeSpeaker() override;
  int setMicVolume(uint32_t volume) override;
  uint32_t getMicVolume() override { return m_micVolume; }
  int setSpeakerVolume(uint32_t volume) override;
  uint32_t getSpeakerVolume() override { return m_speakerVolume; }
  int stopRemoteMedia() override;

  bool isReady() const { return m_session != nullptr; }

private:
  LiveSdk() = default;
  ~LiveSdk() override;

  void sendMessage(bool group, const QString &peer, const ilive::Message &message, ilive::SuccCallback succ,
                   ilive::ErrCallback err, void *data);
  void onSession(std::function<void(LiveSession &)> fn);
  void onMedia(std::function<void(MediaEngine &)> fn);
  int deviceCall(bool known, std::function<void(MediaEngine &)> fn);
  QString hubUrl() const;
  void stopThreads();

  LiveCallbacks m_callbacks;
  QThread *m_netThread = nullptr;
  QThread *m_mediaThread = nullptr;
  LiveSession *m_session = nullptr;
  MediaEngine *m_media = nullptr;
  std::atomic<uint32_t> m_micVolume{100};
  std::atomic<uint32_t> m_speakerVolume{100};
  int m_channelMode = 0;
  QString m_hubHost;
  QString m_hubAddress;
  QMutex m_imLock; // the IM and media values may be set from any thread
  QString m_imAddress;
  QString m_imToken;
  QString m_mediaAddress;
  MediaRoute m_mediaSeat;
};

} // namespace ilivesdk
