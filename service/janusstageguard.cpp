#include "service/janusstageguard.h"

#include "service/janusrooms.h"

#include <QDebug>

JanusStageGuard::JanusStageGuard(JanusRooms &rooms, JanusApi &api, PublishRight mayPublish)
    : m_rooms(rooms), m_mayPublish(std::move(mayPublish)), m_handles(api) {}

JanusStageGuard::~JanusStageGuard() { stop(); }

void JanusStageGuard::start(int intervalMs) {
  if (m_thread.joinable())
    return;
  m_stopping = false;
  m_thread = std::thread([this, intervalMs] {
    std::unique_lock<std::mutex> lock(m_waitLock);
    while (!m_stopping) {
      lock.unlock();
      checkNow();
      lock.lock();
      m_wake.wait_for(lock, std::chrono::milliseconds(intervalMs), [this] { return m_stopping; });
    }
  });
}

void JanusStageGuard::stop() {
  {
    std::lock_guard<std::mutex> lock(m_waitLock);
    m_stopping = true;
  }
  m_wake.notify_all();
  if (m_thread.joinable())
    m_thread.join();
}

JanusStageGuard::Verdict JanusStageGuard::judge(const JanusParticipant &p, const Facts &facts) {
  if (facts.owner.isEmpty())
    return Verdict::UnknownFeed;
  if (p.display != facts.owner)
    return Verdict::WrongName;
  if (!facts.ownersHandle)
    return Verdict::ForeignHandle;
  if (p.publisher && !facts.ownerMayPublish)
    return Verdict::NoStage;
  return Verdict::Keep;
}

QString JanusStageGuard::reason(Verdict v) {
  switch (v) {
  case Verdict::UnknownFeed: return QStringLiteral("a feed id no member holds");
  case Verdict::WrongName: return QStringLiteral("a display that is not the feed holder's");
  case Verdict::ForeignHandle: return QStringLiteral("a handle the feed holder did not open");
  case Verdict::NoStage: return QStringLiteral("publishing without the stage");
  case Verdict::Keep: break;
  }
  return QString();
}

// The rooms are listed before Janus's handles are looked at, so that every participant listed
// has its handle among them (unless it left in the meantime).
int JanusStageGuard::checkNow() {
  std::lock_guard<std::mutex> pass(m_passLock);
  QList<QPair<quint32, QList<JanusParticipant>>> listed;
  bool anyone = false;
  for (quint32 roomId : m_rooms.rooms()) {
    QList<JanusParticipant> list;
    QString error;
    if (!m_rooms.participants(roomId, &list, &error)) {
      qWarning().noquote() << "janus: room" << roomId << error;
      continue;
    }
    anyone = anyone || !list.isEmpty();
    listed.append({roomId, list});
  }
  if (!anyone)
    return 0;
  QString error;
  const bool handlesKnown = m_handles.refresh(&error);
  if (!handlesKnown)
    qWarning().noquote() << "janus: whose handles the participants sit on is unknown this pass:" << error;
  int kicked = 0;
  for (const auto &room : qAsConst(listed))
    kicked += checkRoom(room.first, room.second, handlesKnown);
  return kicked;
}

JanusStageGuard::Facts JanusStageGuard::factsOf(quint32 roomId, const JanusParticipant &p, bool handlesKnown) {
  Facts facts;
  QString holderTag;
  facts.owner = m_rooms.ownerOf(roomId, p.id, &holderTag);
  const bool tagged = handlesKnown && m_handles.tagOf(roomId, p.id, &facts.handleTag);
  facts.ownersHandle = !handlesKnown || (tagged && facts.handleTag == holderTag);
  facts.ownerMayPublish = !facts.owner.isEmpty() && m_mayPublish(facts.owner, roomId);
  return facts;
}

int JanusStageGuard::checkRoom(quint32 roomId, const QList<JanusParticipant> &list, bool handlesKnown) {
  int kicked = 0;
  for (const JanusParticipant &p : list) {
    const Facts facts = factsOf(roomId, p, handlesKnown);
    const Verdict verdict = judge(p, facts);
    if (verdict == Verdict::Keep)
      continue;
    QString error;
    if (m_rooms.kick(roomId, p.id, &error)) {
      ++kicked;
      logKick(roomId, p, facts, verdict);
    } else {
      qWarning().noquote() << "janus: room" << roomId << error;
    }
  }
  return kicked;
}

// Names whose handle it was, never the tag: the tag lets whoever knows it pass as its member.
void JanusStageGuard::logKick(quint32 roomId, const JanusParticipant &p, const Facts &facts, Verdict verdict) {
  QString whose;
  if (verdict == Verdict::ForeignHandle) {
    const QString opener = m_rooms.memberOfTag(roomId, facts.handleTag);
    whose = QStringLiteral(" (its handle is %1)")
                .arg(opener.isEmpty() ? QStringLiteral("no member's") : QStringLiteral("%1's").arg(opener));
  }
  qInfo().noquote() << "janus: kicked feed" << p.id << "of"
                    << (facts.owner.isEmpty() ? QStringLiteral("nobody") : facts.owner) << "from room" << roomId
                    << "for" << reason(verdict) + whose;
}
