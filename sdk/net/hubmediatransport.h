#pragma once
// Media over the class hub: frames go out and come in on the session's hub connection, which
// also carries the stream requests and keyframe requests. The hub's own publish request (with
// its channel id) stays with the session; this only keeps which sources may send.

#include "sdk/net/hubclient.h"
#include "sdk/net/mediatransport.h"

#include <QPointer>
#include <QSet>

namespace sdk {

class HubMediaTransport : public MediaTransport {
  Q_OBJECT
public:
  explicit HubMediaTransport(HubClient *client, QObject *parent = nullptr);

  void publish(hubproto::Source source) override;
  void unpublish(hubproto::Source source) override;
  void sendFrame(const hubproto::MediaFrame &frame) override;
  // The hub already forwards what the session asked it for; a new subscription starts at a
  // keyframe, so one is asked for rather than waited for.
  void subscribe(const QList<StreamRequest> &streams) override;
  void requestKeyframe(const QString &owner, hubproto::Source source) override;
  MediaStats takeStats() override;

private:
  QPointer<HubClient> m_client;
  QSet<int> m_published;
  MediaStats m_stats;
};

} // namespace sdk
