#pragma once
// The IM library: the class's instant messages as handles. It rides on the live SDK's
// connection (GetILive()->login signs it in, joinRoom joins the room's group, whose id is the
// room id in decimal).
//
// Threads: the message callback and the file-data callbacks run on the IM delivery thread, one
// call at a time (calls never overlap). A batch holds every message that arrived while the
// previous batch was being handled. Send callbacks run on the delivery thread too.
//
// Buffers: functions that copy bytes out take (buf, len): *len is the capacity of buf on entry.
// When the bytes and a terminating NUL fit, they are copied, *len is set to the byte count
// (without the NUL) and IM_OK is returned; otherwise nothing is copied, *len is set to the
// byte count needed (without the NUL) and IM_ERR_BUFFER_TOO_SMALL is returned. The ...Size()
// functions tell the byte count beforehand, so content of any length can be read whole.
// Bytes are handed over as received: they may hold NUL bytes.

#include <cstdint>

namespace im {

enum Result : int {
  IM_OK = 0,
  IM_ERR_INVALID_HANDLE = -1,
  IM_ERR_BUFFER_TOO_SMALL = -2,
  IM_ERR_WRONG_ELEM_TYPE = -3,
  IM_ERR_NOT_FOUND = -4,        // e.g. the message has no offline-push information
  IM_ERR_INVALID_ARGUMENT = -5,
};

// Element type codes.
enum ElemType : int32_t {
  IM_ELEM_INVALID = 0,
  IM_ELEM_TEXT = 1,
  IM_ELEM_IMAGE = 2,
  IM_ELEM_SOUND = 3,
  IM_ELEM_FILE = 4,
  IM_ELEM_CUSTOM = 5,
  IM_ELEM_FACE = 6,
};

enum ConvType : int32_t {
  IM_CONV_NONE = 0,
  IM_CONV_C2C = 1,
  IM_CONV_GROUP = 2,
};

typedef struct ImMessage *MessageHandle;
typedef struct ImElem *ElemHandle;
typedef struct ImConversation *ConvHandle;
typedef struct ImOfflinePush *OfflinePushHandle;

// msgs is valid only during the call; the handles belong to the library.
typedef void (*NewMessageFn)(MessageHandle *msgs, uint32_t count, void *data);
struct MessageCallback {
  NewMessageFn onNewMessage = nullptr;
  void *data = nullptr;
};
// The record is copied; null unregisters. Once this returns, no delivery uses the old record.
void setMessageCallback(MessageCallback *callback);

struct CommCallback {
  void (*onSuccess)(void *data) = nullptr;
  void (*onError)(int code, const char *desc, void *data) = nullptr;
  void *data = nullptr;
};
struct FileDataCallback {
  void (*onSuccess)(const char *bytes, uint32_t length, void *data) = nullptr;
  void (*onError)(int code, const char *desc, void *data) = nullptr;
  void *data = nullptr;
};

// Conversations.
ConvHandle createConversation();
void destroyConversation(ConvHandle conv);
// Points conv at a group (peer = group id) or a user (peer = user id).
int getConversation(ConvHandle conv, ConvType type, const char *peer);
// Points conv at the conversation msg belongs to (its group, or its sender for one-to-one).
int conversationFromMessage(ConvHandle conv, MessageHandle msg);
ConvType getConversationType(ConvHandle conv);
uint32_t getConversationPeerSize(ConvHandle conv);
int getConversationPeer(ConvHandle conv, char *buf, uint32_t *len);
// Sends msg into conv. The callback record is copied; its functions are called once, later,
// with its data. Returns IM_OK when the send was started.
int sendMessage(ConvHandle conv, MessageHandle msg, const CommCallback *callback);

// Messages.
MessageHandle createMessage();
void destroyMessage(MessageHandle msg); // only for messages made with createMessage
uint32_t getMessageSenderSize(MessageHandle msg);
int getMessageSender(MessageHandle msg, char *buf, uint32_t *len); // UTF-8 user id
uint32_t getMessageTime(MessageHandle msg); // the hub's time, seconds since 1970
int getElemCount(MessageHandle msg);
// A new handle for element index (null when out of range); give it back with destroyElem.
ElemHandle getElem(MessageHandle msg, int index);
// Appends a copy of elem to msg.
int addElem(MessageHandle msg, ElemHandle elem);

// Elements.
ElemHandle createElem(ElemType type);
void destroyElem(ElemHandle elem);
ElemType getElemType(ElemHandle elem);
// The content of a text element (its text) or a custom element (its data).
uint32_t getContentSize(ElemHandle elem);
int getContent(ElemHandle elem, char *buf, uint32_t *len);
int setTextContent(ElemHandle elem, const char *text, uint32_t length);
int getFaceIndex(ElemHandle elem); // -1 for an element that is not a face
int setFaceIndex(ElemHandle elem, int index);
uint32_t getCustomDataSize(ElemHandle elem);
int getCustomData(ElemHandle elem, char *buf, uint32_t *len);
int setCustomData(ElemHandle elem, const char *bytes, uint32_t length);
uint32_t getCustomExtSize(ElemHandle elem);
int getCustomExt(ElemHandle elem, char *buf, uint32_t *len);
int setCustomExt(ElemHandle elem, const char *bytes, uint32_t length);
int setFileData(ElemHandle elem, const char *bytes, uint32_t length);
int setFileName(ElemHandle elem, const char *name, uint32_t length);
uint32_t getFileNameSize(ElemHandle elem);
int getFileName(ElemHandle elem, char *buf, uint32_t *len);
// Fetches a file element's bytes; the callback runs later on the delivery thread (the
// record is copied). Returns IM_OK when the fetch was started.
int getFileData(ElemHandle elem, const FileDataCallback *callback);

// Offline-push information.
OfflinePushHandle createOfflinePush();
void destroyOfflinePush(OfflinePushHandle push);
int setOfflinePushExt(OfflinePushHandle push, const char *ext, uint32_t length);
uint32_t getOfflinePushExtSize(OfflinePushHandle push);
int getOfflinePushExt(OfflinePushHandle push, char *buf, uint32_t *len);
// Attaches a copy of push to msg.
int setMessageOfflinePush(MessageHandle msg, OfflinePushHandle push);
// Copies msg's offline-push information into push; IM_ERR_NOT_FOUND when it has none.
int getMessageOfflinePush(MessageHandle msg, OfflinePushHandle push);

} // namespace im
