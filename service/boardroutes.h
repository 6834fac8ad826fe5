#pragma once
// The "board" calls: a room's whiteboard history for a signed-in member of the room.

#include "service/apirouter.h"

#include <QByteArray>

class Hub;
class WhiteboardHistory;

class BoardRoutes {
public:
  explicit BoardRoutes(const QByteArray &secret) : m_secret(secret) {}

  // Set before the server starts; without a hub every room is empty.
  void setHub(const Hub *hub) { m_hub = hub; }
  // Where the board messages are kept when the hub does not carry IM (set before the server
  // starts); the hub's own history otherwise.
  void setHistory(const WhiteboardHistory *history) { m_history = history; }
  void registerRoutes(ApiRouter &router);

  // roomId, userId, userSig, from (optional, 0) → "messages": a page of the room's whiteboard
  // messages, oldest first, each the hub's "message" notice; "next": where the next page
  // starts, absent on the last.
  ApiReply history(const FormParams &p) const;

private:
  const QByteArray m_secret;
  const Hub *m_hub = nullptr;
  const WhiteboardHistory *m_history = nullptr;
};
