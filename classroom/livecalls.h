#pragma once
// The classroom's calls into the live SDK, with every answer turned into a signal of this
// object. The SDK is given this object's ticket (callbackticket.h), never a window pointer:
// an answer that arrives after the window (and with it this object) is gone is dropped.
//
// Answers and room callbacks arrive on the GUI thread. Video frames arrive on the SDK's media
// thread and go to the frame sink (set by the video routing), under this object's ticket gate.

#include "sdk/live/ilive.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>

// Where video frames go; runs on the SDK's media thread and must not wait for the GUI thread.
class VideoFrameSink {
public:
  virtual ~VideoFrameSink() = default;
  virtual void localFrame(const ilive::LiveVideoFrame &frame) = 0;
  virtual void remoteFrame(const ilive::LiveVideoFrame &frame) = 0;
};

class LiveCalls : public QObject {
  Q_OBJECT
public:
  explicit LiveCalls(QObject *parent = nullptr);
  ~LiveCalls() override;

  // Drops every later answer at once (the window's destructor calls it first).
  void revoke();

  // Process-wide registrations made by the window at construction.
  void registerWindowCallbacks();
  // Made right before joining a room.
  void registerRoomCallbacks();

  // imToken: the IM server's token from the class sign-in (empty when IM runs on the hub).
  void login(const QString &userId, const QString &userSig, const QString &imToken = QString());
  // The member's seat in Janus from the class sign-in (used when media run on Janus).
  void setMediaSeat(const QString &url, const QString &token, quint64 room, quint64 firstFeed);
  // Control role "Guest"; the authentication buffer only on the "bgp" line.
  void joinRoom(quint32 roomId, const QString &authBuffer);
  void quitRoom();
  void logout();
  void changeRole(const QString &role);
  void requestScreenStream(const QString &teacherId);
  void startPushStream();
  void stopPushStream(quint64 channelId);
  // The media stop made when the window starts to close.
  void stopRemoteMedia();

  void setFrameSink(VideoFrameSink *sink) { frameSink_ = sink; }
  // Remote frames are dropped from then on; local ones still pass.
  void setDroppingRemoteFrames(bool drop) { dropRemote_ = drop; }

signals:
  void loginSucceeded();
  void loginFailed(int code, const QString &desc);
  void joinSucceeded();
  void joinFailed(int code, const QString &desc);
  void quitSucceeded();
  void quitFailed(int code, const QString &desc);
  void logoutSucceeded();
  void logoutFailed(int code, const QString &desc);
  void roleChanged();
  void roleChangeFailed(int code, const QString &desc);
  void screenStreamReady();
  void screenStreamFailed(int code, const QString &desc);
  void pushStarted(quint64 channelId);
  void pushFailed(int code, const QString &desc);
  void pushStopped();
  void pushStopFailed(int code, const QString &desc);

  void kicked();
  void connectionLost(int reason, const QString &text);
  // The link is being brought back (true) or is back (false).
  void reconnecting(bool on);
  void memberStatus(int event, const QStringList &userIds);
  void quality(quint16 lossRateSend, quint16 lossRateRecv);
  void deviceOperation(int operation, int result);

private:
  static void onForceOffline();
  static void onLocalFrame(const ilive::LiveVideoFrame *frame, void *data);
  static void onRemoteFrame(const ilive::LiveVideoFrame *frame, void *data);
  static void onDeviceOperation(ilive::DeviceOperation op, int32_t result, void *data);
  static void onConnectionLost(int32_t reason, const char *text, void *data);
  static void onReconnecting(bool on, void *data);
  static void onMemberStatus(ilive::MemberEvent event, const ilive::Vector<ilive::String> &ids,
                             void *data);
  static void onQuality(const ilive::QualityReport &report, void *data);
  static void onPushStarted(uint64_t channelId, void *data);

  void *ticket();

  std::atomic<VideoFrameSink *> frameSink_{nullptr};
  std::atomic<bool> dropRemote_{false};
  bool revoked_ = false;
};
