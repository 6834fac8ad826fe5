#pragma once
// The live SDK: one process-wide object from GetILive() that signs in to the class hub (IM
// sign-in included), joins rooms (and their IM group), sends IM messages, drives the local
// camera, microphone and speaker, publishes the local stream and hands out video frames.
//
// Threads:
//  - answers of login, logout, joinRoom, quitRoom, changeRole, requestRemoteStreams,
//    start/stopPushStream, the send operations and release, the device-operation callback, the
//    force-offline callback and the room's connection-lost, member-status and quality callbacks
//    arrive on the GUI thread (the thread of QCoreApplication), always later than the call;
//  - video frames (local and remote) arrive on the SDK's media thread;
//  - received IM messages arrive through the IM library (sdk/im/imsdk.h) on its delivery thread.
// Every operation may be called from the GUI thread; a QCoreApplication must exist.

#include "sdk/live/ilivemessage.h"
#include "sdk/live/ilivetypes.h"

#include <cstdint>

namespace ilive {

// Result codes. 0 is success; the hub's codes pass through unchanged.
enum ErrorCode : int32_t {
  NO_ERR = 0,
  ERR_ROLE_UNCHANGED = 1001,  // changeRole to the role one already has
  ERR_NOT_SIGNED_IN = 1002,   // the hub saw a request before sign-in
  ERR_NOT_IN_ROOM = 1003,     // room (or its group) not joined
  ERR_STREAM_NOT_FOUND = 1004,// requested stream is not published
  ERR_NOT_ALLOWED = 1005,     // e.g. publishing as a listener ("Guest")
  ERR_BAD_ARGUMENT = 1006,
  ERR_RATE_LIMITED = 1007,
  ERR_TOO_LARGE = 1008,
  ERR_UNKNOWN_KIND = 1009,
  ERR_MALFORMED = 1010,
  ERR_VERSION = 1011,
  ERR_BAD_FRAME = 1012,
  ERR_PEER_OFFLINE = 1013,    // one-to-one message to a user who is not signed in
  ERR_SLOW_READER = 1014,
  ERR_NOT_INITIALISED = 2001, // init() was not called (or release() was)
  ERR_CONNECT = 2002,         // the hub could not be reached
  ERR_TIMEOUT = 2003,         // no answer in time
  ERR_NOT_LOGGED_IN = 2004,   // operation needs a signed-in SDK
  ERR_BUSY = 2005,            // signed in as another user, or the same call is in flight
  ERR_NO_DEVICE = 2006,       // no device with that id
  ERR_DEVICE_FAILED = 2007,   // the device exists but could not be started
  ERR_CONNECTION_LOST = 2009, // the connection dropped while the call was pending
  ERR_ALREADY = 8024,         // already signed in as this user / already in this room
  ERR_SIG_INVALID = 70001,    // user signature malformed or not made with the service's key
  ERR_SIG_EXPIRED = 70002,    // user signature past its expiry
};

enum VideoSrc : int32_t {
  VIDEO_SRC_NONE = 0,
  VIDEO_SRC_CAMERA = 1,
  VIDEO_SRC_SCREEN = 2,
  VIDEO_SRC_MEDIA = 3,
};

enum ColorFormat : int32_t {
  COLOR_FORMAT_I420 = 0,  // planar Y, U, V; U and V at half width and height (rounded up)
  COLOR_FORMAT_BGR24 = 8, // packed, three bytes per pixel in the order B, G, R, rows unpadded
};

// Codes of the device-operation callback.
enum DeviceOperation : int32_t {
  DEVICE_OP_OPEN_CAMERA = 1,
  DEVICE_OP_CLOSE_CAMERA = 2,
  DEVICE_OP_OPEN_MIC = 5,
  DEVICE_OP_CLOSE_MIC = 6,
  DEVICE_OP_OPEN_SPEAKER = 7,
  DEVICE_OP_CLOSE_SPEAKER = 8,
};

// Events of the room's member-status callback; each comes with the user ids it concerns.
enum MemberEvent : int32_t {
  MEMBER_ENTER = 1,
  MEMBER_EXIT = 2,
  MEMBER_HAS_CAMERA = 3,
  MEMBER_NO_CAMERA = 4,
  MEMBER_HAS_AUDIO = 5,
  MEMBER_NO_AUDIO = 6,
  MEMBER_HAS_SCREEN = 7,
  MEMBER_NO_SCREEN = 8,
  MEMBER_HAS_MEDIA = 9,
  MEMBER_NO_MEDIA = 10,
  MEMBER_ON_STAGE = 11,  // role changed to one that may publish ("LiveGuest", "LiveMaster")
  MEMBER_OFF_STAGE = 12, // role changed back to "Guest"
};

// One video frame, valid only during the callback.
struct LiveVideoFrame {
  const char *identifier = ""; // NUL-terminated UTF-8 user id of the stream's owner
  ColorFormat colorFormat = COLOR_FORMAT_I420;
  uint32_t width = 0;
  uint32_t height = 0;
  VideoSrc srcType = VIDEO_SRC_CAMERA;
  uint32_t rotate = 0; // 0, 1 (90° clockwise), 2 (180°), 3 (90° counter-clockwise) to be upright
  uint32_t dataSize = 0;
  const uint8_t *data = nullptr;
  uint64_t timestamp = 0; // sender's clock, milliseconds
};

// Link quality of the room, reported about every two seconds while in a room.
struct QualityReport {
  uint16_t lossRateSend = 0; // in 1/10000: share of keep-alive probes without an answer
  uint16_t lossRateRecv = 0; // in 1/10000: share of media frames the hub had to drop for us
  uint32_t rttMs = 0;
  uint32_t sendKbps = 0;
  uint32_t recvKbps = 0;
};

typedef void (*SuccCallback)(void *data);
// module: "HUB" for the hub's refusals, "SDK" for local ones, "DEVICE" for device failures.
typedef void (*ErrCallback)(const char *module, int code, const char *desc, void *data);
typedef void (*PushStreamSuccCallback)(uint64_t channelId, void *data);
typedef void (*ForceOfflineCallback)();
typedef void (*VideoFrameCallback)(const LiveVideoFrame *frame, void *data);
typedef void (*DeviceOperationCallback)(DeviceOperation op, int32_t result, void *data);
typedef void (*ConnectionLostCallback)(int32_t reason, const char *reasonText, void *data);
typedef void (*MemberStatusCallback)(MemberEvent event, const Vector<String> &userIds, void *data);
typedef void (*QualityCallback)(const QualityReport &report, void *data);
// The room's link broke and is being brought back (true), or is back (false). When it does not
// come back in time the connection-lost callback follows instead.
typedef void (*ReconnectingCallback)(bool reconnecting, void *data);

struct RoomOption {
  uint32_t roomId = 0;
  String controlRole = "Guest"; // "Guest" listens, "LiveGuest" on stage, "LiveMaster" teaches
  String authBuffer;            // opaque, handed to the hub with the join
  ConnectionLostCallback connectionLost = nullptr;
  MemberStatusCallback memberStatus = nullptr;
  QualityCallback quality = nullptr;
  ReconnectingCallback reconnecting = nullptr;
  void *data = nullptr; // given to the callbacks above
};

enum PushDataType : int32_t {
  PUSH_CAMERA = 0, // the opened camera and microphone
  PUSH_SCREEN = 1,
  PUSH_MEDIA = 2,
};

struct PushStreamOption {
  PushDataType dataType = PUSH_CAMERA;
  String channelName;
  String channelDesc;
};

class iLive {
public:
  // Starts the SDK's threads. 0 = ready; calling it again while ready also answers 0.
  virtual int init(uint32_t appId, uint32_t accountType, bool imSupport) = 0;
  // Leaves the room, signs out, closes the devices and stops the threads.
  virtual void release(SuccCallback succ, ErrCallback err, void *data) = 0;
  // Where the class hub listens (ws://host:port); the program hands it over before init().
  virtual void setHubAddress(const char *url) = 0;
  // Mode 1 selects the "bgp" line. A non-empty host replaces the hub address (ws://host:port).
  virtual void setChannelMode(int32_t mode, const char *host) = 0;
  // Where the class's IM runs: empty for the class hub, or xmpp://host:port/domain for an
  // XMPP server (the deployment's choice); the program hands it over before init().
  virtual void setImAddress(const char *address) = 0;
  // The IM server's sign-in token of the next login (the service's class sign-in hands it out);
  // not used with the hub.
  virtual void setImToken(const char *token) = 0;
  // Where the class's media run: empty for the class hub, or Janus's WebSocket API
  // (ws://host:port) when the deployment puts media on Janus; handed over before init().
  virtual void setMediaAddress(const char *address) = 0;
  // The next login's seat in Janus as the class sign-in hands it out: Janus's address (empty:
  // the deployment's), the member's token, the room and the first of the member's publisher
  // ids. Not used with the hub.
  virtual void setMediaSeat(const char *address, const char *token, uint64_t room, uint64_t firstFeed) = 0;
  virtual void setForceOfflineCallback(ForceOfflineCallback cb) = 0;
  virtual void setLocalVideoCallback(VideoFrameCallback cb, void *data) = 0;
  virtual void setRemoteVideoCallback(VideoFrameCallback cb, void *data) = 0;
  virtual void setDeviceOperationCallback(DeviceOperationCallback cb, void *data) = 0;
  // Format of the frames given to the video callbacks (I420 or BGR24).
  virtual void setVideoColorFormat(ColorFormat format) = 0;

  virtual void login(const char *userId, const char *userSig, SuccCallback succ, ErrCallback err,
                     void *data) = 0;
  virtual void logout(SuccCallback succ, ErrCallback err, void *data) = 0;
  virtual void joinRoom(const RoomOption &option, SuccCallback succ, ErrCallback err,
                        void *data) = 0;
  virtual void quitRoom(SuccCallback succ, ErrCallback err, void *data) = 0;
  virtual void changeRole(const char *role, SuccCallback succ, ErrCallback err, void *data) = 0;
  // Subscribes to streams by (user id, source). Camera streams of the room come unasked.
  virtual void requestRemoteStreams(const Vector<Pair<String, VideoSrc>> &streams,
                                    SuccCallback succ, ErrCallback err, void *data) = 0;
  virtual void startPushStream(const PushStreamOption &option, PushStreamSuccCallback succ,
                               ErrCallback err, void *data) = 0;
  virtual void stopPushStream(uint64_t channelId, SuccCallback succ, ErrCallback err,
                              void *data) = 0;
  // Sends to the joined room's IM group.
  virtual void sendGroupMessage(const Message &message, SuccCallback succ, ErrCallback err,
                                void *data) = 0;
  virtual void sendC2CMessage(const char *dstUser, const Message &message, SuccCallback succ,
                              ErrCallback err, void *data) = 0;

  // Device lists as (device id, device name); 0 = success. The first camera entries are the
  // machine's cameras; the last is always the SDK's test-pattern camera.
  virtual int getCameraList(Vector<Pair<String, String>> &cameras) = 0;
  virtual int getMicList(Vector<Pair<String, String>> &mics) = 0;
  virtual int getSpeakerList(Vector<Pair<String, String>> &speakers) = 0;
  // 0 = the open or close was started; its outcome comes through the device-operation
  // callback. ERR_NO_DEVICE when the id is not in the list.
  virtual int openCamera(const char *deviceId) = 0;
  virtual int closeCamera() = 0;
  virtual int openMic(const char *deviceId) = 0;
  virtual int closeMic() = 0;
  virtual int openSpeaker(const char *deviceId) = 0;
  virtual int closeSpeaker() = 0;
  virtual int setMicVolume(uint32_t volume) = 0; // 0..100
  virtual uint32_t getMicVolume() = 0;
  virtual int setSpeakerVolume(uint32_t volume) = 0; // 0..100
  virtual uint32_t getSpeakerVolume() = 0;
  // Stops handing out remote video and playing remote audio until the next joinRoom.
  virtual int stopRemoteMedia() = 0;

protected:
  virtual ~iLive() = default;
};

} // namespace ilive

// The process-wide live SDK object.
ilive::iLive *GetILive();
