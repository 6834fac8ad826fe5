#include "sdk/net/hubmediatransport.h"

namespace sdk {

HubMediaTransport::HubMediaTransport(HubClient *client, QObject *parent) : MediaTransport(parent), m_client(client) {
  connect(client, &HubClient::mediaFrame, this, [this](const hubproto::MediaFrame &frame) {
    m_stats.bytesReceived += static_cast<quint64>(frame.payload.size());
    emit frameReceived(frame);
  });
  connect(client, &HubClient::keyframeRequested, this, &MediaTransport::keyframeRequested);
}

void HubMediaTransport::publish(hubproto::Source source) { m_published.insert(static_cast<int>(source)); }

void HubMediaTransport::unpublish(hubproto::Source source) { m_published.remove(static_cast<int>(source)); }

void HubMediaTransport::sendFrame(const hubproto::MediaFrame &frame) {
  if (!m_client || !m_published.contains(static_cast<int>(frame.source)))
    return;
  m_stats.bytesSent += static_cast<quint64>(frame.payload.size());
  m_client->sendFrame(frame);
}

void HubMediaTransport::subscribe(const QList<StreamRequest> &streams) {
  for (const StreamRequest &s : streams)
    requestKeyframe(s.userId, s.source);
}

void HubMediaTransport::requestKeyframe(const QString &owner, hubproto::Source source) {
  if (m_client)
    m_client->requestKeyframe(owner, source, [](const HubReply &) {});
}

MediaStats HubMediaTransport::takeStats() {
  const MediaStats taken = m_stats;
  m_stats = MediaStats();
  return taken;
}

} // namespace sdk
