#pragma once
// Which server carries a sign-in's media: the class hub (on the live session's own
// connection) or a Janus VideoRoom, with the seat the class sign-in handed out.

#include "sdk/net/hubclient.h"
#include "sdk/net/mediatransport.h"

#include <QString>

#include <memory>

namespace ilivesdk {

struct MediaRoute {
  QString address; // empty: the hub; ws://host:port: Janus's WebSocket API
  QString token;   // the member's Janus token
  quint64 room = 0;
  quint64 feed = 0; // the first of the member's publisher ids

  bool onHub() const { return address.isEmpty(); }
};

// A transport for the route; the hub one rides on hub, which must outlive it.
std::unique_ptr<sdk::MediaTransport> createMediaTransport(const MediaRoute &route, const QString &userId,
                                                          sdk::HubClient *hub);

} // namespace ilivesdk
