#pragma once
// What a message asks of the room's rights, read the same way wherever a message is let
// through: by the hub before it passes a message on, and by the SDK's IM path over an XMPP
// server, where no hub of ours stands between the members.

#include "protocol/immessage.h"

namespace hubproto {

// The offline-push extension that marks whiteboard data.
extern const char kWhiteboardExt[]; // "TXWhiteBoardExt"
// Chat text of one message (its text elements and the chat page message of command 2056).
constexpr int kMaxChatTextBytes = 16 << 10;
// Characters of the offline-push extension.
constexpr int kMaxPushExt = 1024;

struct MessageScan {
  // The first teacher's command among the custom elements (every one, whatever its ext, as
  // the classroom reads commands from any of them); 0 when none.
  int teacherCode = 0;
  qint64 chatBytes = 0;
  bool boardWrite = false; // whiteboard data: the teacher's and the granted members'
};

MessageScan scanMessage(const ImMessage &m);

struct SenderRights {
  bool teacher = false;       // the room's teacher
  bool mayWriteBoard = false; // the teacher, or a member the teacher let on stage
};
// 0 when a message so scanned may pass from such a sender, else the refusal's code
// (TeacherOnly, TooLarge) with why.
int refusal(const MessageScan &seen, const SenderRights &sender, qint64 maxChatBytes, QString *why);

} // namespace hubproto
