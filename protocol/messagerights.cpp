#include "protocol/messagerights.h"

#include "protocol/classcommandcode.h"
#include "protocol/protocol.h"

namespace hubproto {

const char kWhiteboardExt[] = "TXWhiteBoardExt";

MessageScan scanMessage(const ImMessage &m) {
  MessageScan out;
  out.boardWrite = m.hasOfflinePush && m.offlinePushExt == QLatin1String(kWhiteboardExt);
  for (const Element &e : m.elems) {
    int code = 0;
    if (e.kind == Element::Text)
      out.chatBytes += e.text.toUtf8().size();
    else if (e.kind != Element::Custom || !commandUserAction(e.data, &code))
      continue;
    if (code == toWire(ClassCommandCode::Chat))
      out.chatBytes += e.data.size();
    else if (isTeacherCommand(code) && out.teacherCode == 0)
      out.teacherCode = code;
  }
  return out;
}

int refusal(const MessageScan &seen, const SenderRights &sender, qint64 maxChatBytes, QString *why) {
  if (seen.teacherCode != 0 && !sender.teacher) {
    *why = QStringLiteral("class command %1 is the room's teacher's").arg(seen.teacherCode);
    return TeacherOnly;
  }
  if (seen.boardWrite && !sender.mayWriteBoard) {
    *why = QStringLiteral("the board is the teacher's and the granted members'");
    return TeacherOnly;
  }
  if (seen.chatBytes > maxChatBytes) {
    *why = QStringLiteral("chat text over %1 bytes").arg(maxChatBytes);
    return TooLarge;
  }
  return Ok;
}

} // namespace hubproto
