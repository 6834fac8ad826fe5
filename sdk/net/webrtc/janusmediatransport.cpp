#include "sdk/net/webrtc/janusmediatransport.h"

#include "sdk/net/webrtc/rtcpeer.h"
#include "protocol/janushandletag.h"

#include <QJsonArray>

namespace sdk {

namespace {
const QLatin1String kRequest("request");
const QLatin1String kVideoroom("videoroom");
const QLatin1String kPublishers("publishers");

QJsonObject sdpJsep(const QString &type, const QString &sdp) {
  return {{QStringLiteral("type"), type}, {QStringLiteral("sdp"), sdp}};
}

quint64 idOf(const QJsonValue &v) { return static_cast<quint64>(v.toDouble()); }
} // namespace

quint64 JanusMediaTransport::feedOf(quint64 block, hubproto::Source source) {
  return block + 1 + static_cast<quint64>(source);
}

bool JanusMediaTransport::sourceOfFeed(quint64 feed, hubproto::Source *source) {
  const quint64 slot = feed % JanusEndpoint::kFeedsPerMember;
  if (slot < 1 || slot > quint64(hubproto::kSourceCount))
    return false;
  *source = static_cast<hubproto::Source>(slot - 1);
  return true;
}

JanusMediaTransport::JanusMediaTransport(const JanusEndpoint &endpoint, const QString &userId, QObject *parent)
    : MediaTransport(parent), m_endpoint(endpoint), m_userId(userId),
      m_handleTag(janushandletag::of(endpoint.token)), m_comeback(this), m_stallCheck(this) {
  m_comeback.setSingleShot(true);
  m_comeback.setInterval(kComebackMs);
  connect(&m_comeback, &QTimer::timeout, this, &JanusMediaTransport::open);
  m_clock.start();
  m_stallCheck.setInterval(kStallMs / 4);
  connect(&m_stallCheck, &QTimer::timeout, this, &JanusMediaTransport::checkStalls);
  m_stallCheck.start();
  connect(this, &JanusMediaTransport::trouble, this,
          [](const QString &why) { qWarning("media: Janus: %s", qPrintable(why)); });
  open();
}

JanusMediaTransport::~JanusMediaTransport() { reset(); }

void JanusMediaTransport::open() {
  reset();
  if (!m_endpoint.isUsable()) {
    qWarning("media: no usable Janus seat (address, room and feed block); no media go out or come in");
    return;
  }
  m_session = new JanusSession(m_endpoint.url, m_endpoint.token, this);
  connect(m_session, &JanusSession::opened, this, &JanusMediaTransport::onOpened);
  connect(m_session, &JanusSession::lost, this, &JanusMediaTransport::onLost);
  connect(m_session, &JanusSession::event, this, &JanusMediaTransport::onEvent);
  connect(m_session, &JanusSession::hangup, this, [this](quint64 handle, const QString &reason) {
    for (auto it = m_incoming.begin(); it != m_incoming.end(); ++it) {
      if (it->second.handle == handle) {
        emit trouble(QStringLiteral("Janus hung up a stream: ") + reason);
        return endIncoming(it);
      }
    }
  });
  m_session->open();
}

void JanusMediaTransport::reset() {
  for (auto &entry : m_outgoing)
    dropLink(entry.second);
  for (auto &entry : m_incoming)
    dropLink(entry.second);
  m_outgoing.clear();
  m_incoming.clear();
  m_feeds.clear();
  m_watcher = 0;
  if (JanusSession *session = m_session) {
    m_session = nullptr;
    session->disconnect(this);
    session->close();
    session->deleteLater();
  }
}

// Every stream coming in ends with the link; they are asked for again once it is back.
void JanusMediaTransport::onLost(const QString &why) {
  emit trouble(why);
  while (!m_incoming.empty())
    endIncoming(m_incoming.begin());
  reset();
  m_comeback.start();
}

void JanusMediaTransport::noteFrame(quint64 feed) {
  auto it = m_incoming.find(feed);
  if (it == m_incoming.end())
    return;
  it->second.lastFrameMs = m_clock.elapsed();
  it->second.stalled = false;
}

// Dropped and asked for again from the start: a new handle, offer and connection.
void JanusMediaTransport::retryUnstarted() {
  const qint64 now = m_clock.elapsed();
  QList<quint64> again;
  for (const auto &entry : m_incoming) {
    if (entry.second.lastFrameMs < 0 && entry.second.askedMs >= 0 && now - entry.second.askedMs >= kFirstFrameMs)
      again.append(entry.first);
  }
  for (quint64 feed : again) {
    emit trouble(QStringLiteral("no frame from feed %1 in %2 ms; asking again").arg(feed).arg(kFirstFrameMs));
    dropLink(m_incoming[feed]);
    m_incoming.erase(feed);
    if (m_session && m_feeds.contains(feed) && wanted(m_feeds.value(feed)))
      startSubscriber(feed);
  }
}

void JanusMediaTransport::checkStalls() {
  retryUnstarted();
  const qint64 now = m_clock.elapsed();
  for (auto &entry : m_incoming) {
    Link &link = entry.second;
    const Feed feed = m_feeds.value(entry.first);
    if (link.stalled || link.lastFrameMs < 0 || now - link.lastFrameMs < kStallMs || feed.userId.isEmpty() ||
        feed.source == hubproto::Source::Audio)
      continue;
    link.stalled = true;
    emit trouble(QStringLiteral("no pictures from %1 for %2 ms").arg(feed.userId).arg(now - link.lastFrameMs));
    emit streamEnded(feed.userId, feed.source);
  }
}

void JanusMediaTransport::endIncoming(std::map<quint64, Link>::iterator it) {
  const Feed feed = m_feeds.value(it->first);
  dropLink(it->second);
  m_incoming.erase(it);
  if (!feed.userId.isEmpty())
    emit streamEnded(feed.userId, feed.source);
}

QJsonObject JanusMediaTransport::joinBody(const QString &ptype) const {
  QJsonObject body{{kRequest, QStringLiteral("join")}, {QStringLiteral("ptype"), ptype},
                   {QStringLiteral("room"), double(m_endpoint.room)}, {QStringLiteral("display"), m_userId}};
  if (!m_endpoint.token.isEmpty())
    body.insert(QStringLiteral("token"), m_endpoint.token);
  return body;
}

// The watcher joins first; publishers start once it is in.
void JanusMediaTransport::onOpened() {
  JanusSession *session = m_session;
  session->attach(QLatin1String(kPlugin), m_handleTag, [this, session](const JanusSession::Answer &a) {
    if (session != m_session)
      return;
    if (!a.error.isEmpty())
      return onLost(QStringLiteral("no VideoRoom handle: ") + a.error);
    const quint64 handle = idOf(a.data().value(QLatin1String("id")));
    QJsonObject body = joinBody(QStringLiteral("publisher"));
    body.insert(QStringLiteral("id"), double(m_endpoint.feed));
    session->message(handle, body, {}, [this, session, handle](const JanusSession::Answer &reply) {
      if (session != m_session)
        return;
      if (!reply.error.isEmpty())
        return onLost(QStringLiteral("the room refused us: ") + reply.error);
      m_watcher = handle;
      emit joined();
      for (int source : qAsConst(m_publishing))
        startPublisher(static_cast<hubproto::Source>(source));
      notePublishers(reply.data().value(kPublishers).toArray());
    });
  });
}

void JanusMediaTransport::onEvent(quint64 handle, const QJsonObject &data, const QJsonObject &) {
  if (handle != m_watcher)
    return;
  if (data.contains(kPublishers))
    notePublishers(data.value(kPublishers).toArray());
  for (const char *gone : {"unpublished", "leaving"}) {
    const QJsonValue feed = data.value(QLatin1String(gone));
    if (feed.isDouble())
      forgetFeed(idOf(feed));
  }
}

void JanusMediaTransport::notePublishers(const QJsonArray &publishers) {
  for (const QJsonValue &v : publishers) {
    const QJsonObject p = v.toObject();
    const quint64 id = idOf(p.value(QLatin1String("id")));
    Feed feed;
    feed.userId = p.value(QLatin1String("display")).toString();
    if (feed.userId.isEmpty() || feed.userId == m_userId || !sourceOfFeed(id, &feed.source))
      continue;
    m_feeds.insert(id, feed);
    if (wanted(feed) && m_incoming.find(id) == m_incoming.end())
      startSubscriber(id);
  }
}

void JanusMediaTransport::forgetFeed(quint64 feed) {
  auto it = m_incoming.find(feed);
  if (it != m_incoming.end())
    endIncoming(it);
  m_feeds.remove(feed);
}

bool JanusMediaTransport::wanted(const Feed &feed) const {
  if (feed.source == hubproto::Source::Camera || feed.source == hubproto::Source::Audio)
    return true;
  for (const StreamRequest &r : m_asked) {
    if (r.userId == feed.userId && r.source == feed.source)
      return true;
  }
  return false;
}

void JanusMediaTransport::publish(hubproto::Source source) {
  if (m_publishing.contains(int(source)))
    return;
  m_publishing.insert(int(source));
  if (isInRoom())
    startPublisher(source);
}

void JanusMediaTransport::unpublish(hubproto::Source source) {
  m_publishing.remove(int(source));
  auto it = m_outgoing.find(int(source));
  if (it == m_outgoing.end())
    return;
  dropLink(it->second);
  m_outgoing.erase(it);
}

// One handle per source: it joins as a publisher named after the source, then offers.
void JanusMediaTransport::startPublisher(hubproto::Source source) {
  m_outgoing[int(source)] = Link();
  JanusSession *session = m_session;
  session->attach(QLatin1String(kPlugin), m_handleTag, [this, session, source](const JanusSession::Answer &a) {
    if (session != m_session || m_outgoing.find(int(source)) == m_outgoing.end())
      return;
    if (!a.error.isEmpty())
      return emit trouble(QStringLiteral("no handle to publish on: ") + a.error);
    const quint64 handle = idOf(a.data().value(QLatin1String("id")));
    m_outgoing[int(source)].handle = handle;
    QJsonObject body = joinBody(QStringLiteral("publisher"));
    body.insert(QStringLiteral("id"), double(feedOf(m_endpoint.feed, source)));
    session->message(handle, body, {}, [this, session, source, handle](const JanusSession::Answer &joined) {
      auto it = m_outgoing.find(int(source));
      if (session != m_session || it == m_outgoing.end() || it->second.handle != handle)
        return;
      if (!joined.error.isEmpty())
        return emit trouble(QStringLiteral("the room refused a publisher: ") + joined.error);
      offerFrom(source, handle);
    });
  });
}

void JanusMediaTransport::offerFrom(hubproto::Source source, quint64 handle) {
  RtcPeer *peer = makePeer(handle);
  m_outgoing[int(source)].peer = peer;
  connect(peer, &RtcPeer::keyframeRequested, this, [this, source] { emit keyframeRequested(source); });
  JanusSession *session = m_session;
  QPointer<RtcPeer> guarded(peer);
  connect(peer, &RtcPeer::localDescription, this, [this, session, handle, guarded](const QString &type, const QString &sdp) {
    session->message(handle, QJsonObject{{kRequest, QStringLiteral("publish")}}, sdpJsep(type, sdp),
                     [this, session, guarded](const JanusSession::Answer &a) {
                       if (session != m_session || !guarded)
                         return;
                       const QString answer = a.jsep().value(QLatin1String("sdp")).toString();
                       if (!a.error.isEmpty() || answer.isEmpty())
                         return emit trouble(QStringLiteral("Janus took no stream: ") + a.error);
                       guarded->setAnswer(answer);
                     });
  });
  const auto kind = source == hubproto::Source::Audio ? hubproto::MediaFrame::Audio : hubproto::MediaFrame::Video;
  if (!peer->startSending(kind))
    emit trouble(QStringLiteral("no sending pipeline: ") + peer->errorString());
}

void JanusMediaTransport::subscribe(const QList<StreamRequest> &streams) {
  for (const StreamRequest &s : streams) {
    if (!wanted(Feed{s.userId, s.source}))
      m_asked.append(s);
  }
  for (auto it = m_feeds.cbegin(); it != m_feeds.cend(); ++it) {
    if (wanted(it.value()) && m_incoming.find(it.key()) == m_incoming.end())
      startSubscriber(it.key());
  }
}

// One handle per received stream: Janus offers, we answer and start.
void JanusMediaTransport::startSubscriber(quint64 feed) {
  Link &link = m_incoming[feed];
  link = Link();
  link.askedMs = m_clock.elapsed();
  link.ask = ++m_asks;
  const quint64 ask = link.ask;
  JanusSession *session = m_session;
  // Answers to an earlier ask of the same feed, dropped since, are let go (and their handle with them).
  auto current = [this, session, feed, ask] {
    auto it = m_incoming.find(feed);
    return session == m_session && it != m_incoming.end() && it->second.ask == ask;
  };
  session->attach(QLatin1String(kPlugin), m_handleTag, [this, session, feed, current](const JanusSession::Answer &a) {
    const quint64 handle = a.error.isEmpty() ? idOf(a.data().value(QLatin1String("id"))) : 0;
    if (!current()) {
      if (handle != 0 && session == m_session)
        session->detach(handle);
      return;
    }
    if (!a.error.isEmpty())
      return emit trouble(QStringLiteral("no handle to receive on: ") + a.error);
    m_incoming[feed].handle = handle;
    QJsonObject body = joinBody(QStringLiteral("subscriber"));
    body.insert(QStringLiteral("streams"), QJsonArray{QJsonObject{{QStringLiteral("feed"), double(feed)}}});
    session->message(handle, body, {}, [this, feed, handle, current](const JanusSession::Answer &attached) {
      if (!current())
        return;
      if (!attached.error.isEmpty() || attached.jsep().isEmpty())
        return emit trouble(QStringLiteral("Janus offered no stream: ") + attached.error);
      answerOffer(feed, handle, attached.jsep());
    });
  });
}

void JanusMediaTransport::answerOffer(quint64 feed, quint64 handle, const QJsonObject &offer) {
  const Feed whose = m_feeds.value(feed);
  RtcPeer *peer = makePeer(handle);
  m_incoming[feed].peer = peer;
  connect(peer, &RtcPeer::received, this, [this, whose, feed](hubproto::MediaFrame frame) {
    noteFrame(feed);
    frame.userId = whose.userId.toUtf8();
    if (frame.kind == hubproto::MediaFrame::Video)
      frame.source = whose.source;
    m_stats.bytesReceived += static_cast<quint64>(frame.payload.size());
    emit frameReceived(frame);
  });
  JanusSession *session = m_session;
  connect(peer, &RtcPeer::localDescription, this, [session, handle](const QString &type, const QString &sdp) {
    session->message(handle, QJsonObject{{kRequest, QStringLiteral("start")}}, sdpJsep(type, sdp),
                     [](const JanusSession::Answer &) {});
  });
  if (!peer->startReceiving(offer.value(QLatin1String("sdp")).toString()))
    emit trouble(QStringLiteral("no receiving pipeline: ") + peer->errorString());
}

RtcPeer *JanusMediaTransport::makePeer(quint64 handle) {
  auto *peer = new RtcPeer(this);
  JanusSession *session = m_session;
  connect(peer, &RtcPeer::localCandidate, session, [session, handle](int mline, const QString &candidate) {
    session->trickle(handle, mline, candidate);
  });
  connect(peer, &RtcPeer::failed, this, [this](const QString &why) { emit trouble(QStringLiteral("media: ") + why); });
  return peer;
}

void JanusMediaTransport::dropLink(Link &link) {
  if (m_session && link.handle != 0)
    m_session->detach(link.handle);
  delete link.peer.data();
  link = Link();
}

void JanusMediaTransport::sendFrame(const hubproto::MediaFrame &frame) {
  auto it = m_outgoing.find(int(frame.source));
  if (it == m_outgoing.end() || !it->second.peer)
    return;
  m_stats.bytesSent += static_cast<quint64>(frame.payload.size());
  it->second.peer->push(frame);
}

void JanusMediaTransport::requestKeyframe(const QString &owner, hubproto::Source source) {
  for (auto &entry : m_incoming) {
    const Feed feed = m_feeds.value(entry.first);
    if (feed.userId == owner && feed.source == source && entry.second.peer)
      entry.second.peer->requestKeyframe();
  }
}

MediaStats JanusMediaTransport::takeStats() {
  const MediaStats taken = m_stats;
  m_stats = MediaStats();
  return taken;
}

} // namespace sdk
