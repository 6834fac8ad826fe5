#pragma once
// A reward from the teacher (commands 2101 and 2102), read from its JSON parameter.

#include <QString>

struct RewardNotice {
  QString type;
  int amount = 0;
  QString receiver;
  QString receiverName;
  QString message; // "[receiver_name]" already replaced
  QString memo;
  bool valid = false; // the parameter was a JSON object

  // "[receiver_name]" reads "你" for the receiver and the receiver's name for everybody else.
  static RewardNotice parse(const QString &json, const QString &ownUserId);
  // Types "101" and "102" come with a red packet; others only with their memo.
  bool hasPacket() const;
  // The chat line: the message with a packet, else the memo.
  QString chatText() const { return hasPacket() ? message : memo; }
};
