#pragma once
// Where a member's media meet in Janus, as the class sign-in hands them out: the server's
// WebSocket API, the class's VideoRoom room, the member's token (for every request to Janus
// and for the room) and the first of the member's block of publisher ids.

#include <QString>
#include <QUrl>

namespace sdk {

struct JanusEndpoint {
  QUrl url; // ws://host:port
  quint64 room = 0;
  QString token;
  quint64 feed = 0; // feed … feed + kFeedsPerMember - 1 are the member's
  static constexpr quint64 kFeedsPerMember = 8;

  bool isUsable() const { return url.isValid() && url.scheme() == QLatin1String("ws") && room != 0 && feed != 0; }
};

} // namespace sdk
