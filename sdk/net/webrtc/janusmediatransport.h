#pragma once
// Media through a Janus VideoRoom: every source this member publishes (camera, screen, media,
// microphone) is a publisher of its own in the class's room, carrying the SDK's encoded VP8 or
// Opus over a WebRTC peer connection; every stream received is a subscription of its own.
// One more handle joins the room without publishing, to hear of the room's publishers. All of
// them join under the member's user id as display name and with ids from the member's block:
// the block's first id listens, the next ones carry the sources (block + 1 + source). Blocks
// start at multiples of their size, so a feed's id says its source and its display name its
// owner; every handle carries the tag of the member's token, by which the service knows the
// handles are the member's own. Cameras and voices of the others are received unasked, other
// sources once asked for.
// NACK, PLI and Janus's bandwidth estimate look after loss and congestion. When the link to
// Janus goes, it is made again after a pause, with what was published and asked for.

#include "sdk/net/mediatransport.h"
#include "sdk/net/webrtc/janusendpoint.h"
#include "sdk/net/webrtc/janussession.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include <map>

namespace sdk {

class RtcPeer;

class JanusMediaTransport : public MediaTransport {
  Q_OBJECT
public:
  static constexpr int kComebackMs = 1000;
  // A received video stream that brought no frame for this long (its packets are lost on the
  // way, while the link to Janus itself stands) is said to have ended (streamEnded), so that
  // its last picture is not shown as if live; its frames are handed on again when they come.
  // Every video source sends at least one frame a second.
  static constexpr int kStallMs = 4000;
  // A subscription that brought no frame at all this long after it was asked for (Janus
  // refused it, or its connection never came up, for instance across a UDP cut) is asked for
  // again, as long as the feed is there.
  static constexpr int kFirstFrameMs = 10000;
  static constexpr const char *kPlugin = "janus.plugin.videoroom";

  JanusMediaTransport(const JanusEndpoint &endpoint, const QString &userId, QObject *parent = nullptr);
  ~JanusMediaTransport() override;

  void publish(hubproto::Source source) override;
  void unpublish(hubproto::Source source) override;
  void sendFrame(const hubproto::MediaFrame &frame) override;
  void subscribe(const QList<StreamRequest> &streams) override;
  void requestKeyframe(const QString &owner, hubproto::Source source) override;
  MediaStats takeStats() override;

  // In the room and hearing of its publishers.
  bool isInRoom() const { return m_watcher != 0; }
  // Streams received now, and publishers of ours with a peer connection.
  int receiving() const { return int(m_incoming.size()); }

  // The publisher id of a source in a member's block, and the source a publisher id carries.
  static quint64 feedOf(quint64 block, hubproto::Source source);
  static bool sourceOfFeed(quint64 feed, hubproto::Source *source);

signals:
  void joined();
  // Janus refused us or the link went; a comeback follows.
  void trouble(const QString &why);

private:
  struct Feed {
    QString userId;
    hubproto::Source source = hubproto::Source::Camera;
  };
  struct Link { // one handle with its peer connection
    quint64 handle = 0;
    QPointer<RtcPeer> peer;
    qint64 lastFrameMs = -1; // received video: when its last frame came
    qint64 askedMs = -1;     // received: when the subscription was asked for
    quint64 ask = 0;         // received: which ask of its feed this is
    bool stalled = false;    // received video: said to have ended, frames may come again
  };

  void open();
  void onOpened();
  void onLost(const QString &why);
  void reset();
  void onEvent(quint64 handle, const QJsonObject &data, const QJsonObject &jsep);
  void notePublishers(const QJsonArray &publishers);
  void forgetFeed(quint64 feed);
  // Drops a stream coming in and says it ended (streamEnded).
  void endIncoming(std::map<quint64, Link>::iterator it);
  void noteFrame(quint64 feed);
  void checkStalls();
  void retryUnstarted();
  bool wanted(const Feed &feed) const;
  void startPublisher(hubproto::Source source);
  void offerFrom(hubproto::Source source, quint64 handle);
  void startSubscriber(quint64 feed);
  void answerOffer(quint64 feed, quint64 handle, const QJsonObject &offer);
  RtcPeer *makePeer(quint64 handle);
  void dropLink(Link &link);
  QJsonObject joinBody(const QString &ptype) const;

  JanusEndpoint m_endpoint;
  QString m_userId;
  QString m_handleTag; // every handle carries it: the service tells our handles by it
  JanusSession *m_session = nullptr;
  QTimer m_comeback;   // children, so that they move with the transport to another thread
  QTimer m_stallCheck;
  QElapsedTimer m_clock;
  quint64 m_watcher = 0;
  QSet<int> m_publishing;        // sources the program publishes
  std::map<int, Link> m_outgoing; // by source
  QHash<quint64, Feed> m_feeds;  // the others' publishers, by Janus feed id
  std::map<quint64, Link> m_incoming; // by feed id
  QList<StreamRequest> m_asked;
  quint64 m_asks = 0; // subscriptions asked for so far
  MediaStats m_stats;
};

} // namespace sdk
