#include "sdk/live/mediaroute.h"

#include "sdk/net/hubmediatransport.h"
#include "sdk/net/webrtc/janusmediatransport.h"

namespace ilivesdk {

std::unique_ptr<sdk::MediaTransport> createMediaTransport(const MediaRoute &route, const QString &userId,
                                                          sdk::HubClient *hub) {
  if (route.onHub())
    return std::make_unique<sdk::HubMediaTransport>(hub);
  sdk::JanusEndpoint endpoint;
  endpoint.url = QUrl(route.address);
  endpoint.room = route.room;
  endpoint.token = route.token;
  endpoint.feed = route.feed;
  return std::make_unique<sdk::JanusMediaTransport>(endpoint, userId);
}

} // namespace ilivesdk
