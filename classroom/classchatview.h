#pragma once
// The chat column as the session drives it: permission, system lines and received texts.

#include "messaging/livemessage.h"

#include <QString>
#include <cstdint>
#include <vector>

class ClassChatView {
public:
  virtual ~ClassChatView() = default;
  virtual bool chatAllowed() const = 0;
  // The input, the send button and the chat tool bar.
  virtual void setControlsEnabled(bool enabled) = 0;
  virtual void closeChat() = 0;
  virtual void openChat() = 0;
  virtual void addSystemMessage(const QString &text) = 0;
  // A chat page message from a member, shown under senderName (from the roster).
  virtual void receiveChatCommand(const QString &senderName, const QString &param, uint32_t time) = 0;
  virtual void receivePlain(const QString &senderName, const QString &senderDevice,
                            const std::vector<LiveMessage> &messages) = 0;
};
