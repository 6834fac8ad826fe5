#pragma once
// Whether the teacher lets this student write in the class discussion. Each teacher command
// answers what the chat should do now.
//
// 2059 / 2061 switch the chat directly; 2110 (everybody) and 2111 (this student) set a flag;
// 2113 is a snapshot of both flags. Once a snapshot has arrived, 2059 / 2061 "0" no longer
// reopen the chat: the flags decide.

#include <QString>

class ChatPermission {
public:
  enum Action { Unchanged, Forbid, Allow };

  Action onChatSwitch(const QString &param);   // 2059, 2061
  Action onForbidAll(const QString &param);    // 2110
  Action onForbidYou(const QString &param);    // 2111
  Action onSnapshot(const QString &json);      // 2113

  bool forbidAll() const { return forbidAll_; }
  bool forbidYou() const { return forbidYou_; }
  bool snapshotSeen() const { return snapshotSeen_; }

private:
  Action fromFlags() const { return forbidAll_ || forbidYou_ ? Forbid : Allow; }
  static void setFlag(const QString &value, bool *flag);

  bool forbidAll_ = false;
  bool forbidYou_ = false;
  bool snapshotSeen_ = false;
};
