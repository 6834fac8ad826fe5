#pragma once
// Which server carries a sign-in's IM: the class hub (on the live session's own connection)
// or an XMPP server named by the deployment.

#include "sdk/net/hubclient.h"
#include "sdk/net/imtransport.h"

#include <QString>

#include <memory>

namespace ilivesdk {

struct ImRoute {
  QString address; // empty: the hub; xmpp://host:port/domain: an XMPP server
  QString token;   // the XMPP server's sign-in token
};

// A transport for the route; the hub one rides on hub, which must outlive it.
std::unique_ptr<sdk::ImTransport> createImTransport(const ImRoute &route, sdk::HubClient *hub);

} // namespace ilivesdk
