#include "service/janusstageguard.h"

#include "service/janusrooms.h"

#include <QDebug>

JanusStageGuard::JanusStageGuard(JanusRooms &rooms, PublishRight mayPublish)
    : m_rooms(rooms), m_mayPublish(std::move(mayPublish)) {}

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

JanusStageGuard::Verdict JanusStageGuard::judge(const JanusParticipant &p, const QString &owner, bool ownerMayPublish) {
  if (owner.isEmpty())
    return Verdict::UnknownFeed;
  if (p.display != owner)
    return Verdict::WrongName;
  if (p.publisher && !ownerMayPublish)
    return Verdict::NoStage;
  return Verdict::Keep;
}

QString JanusStageGuard::reason(Verdict v) {
  switch (v) {
  case Verdict::UnknownFeed: return QStringLiteral("a feed id no member holds");
  case Verdict::WrongName: return QStringLiteral("a display that is not the feed holder's");
  case Verdict::NoStage: return QStringLiteral("publishing without the stage");
  case Verdict::Keep: break;
  }
  return QString();
}

int JanusStageGuard::checkNow() {
  int kicked = 0;
  for (quint32 roomId : m_rooms.rooms())
    kicked += checkRoom(roomId);
  return kicked;
}

int JanusStageGuard::checkRoom(quint32 roomId) {
  QList<JanusParticipant> list;
  QString error;
  if (!m_rooms.participants(roomId, &list, &error)) {
    qWarning().noquote() << "janus: room" << roomId << error;
    return 0;
  }
  int kicked = 0;
  for (const JanusParticipant &p : list) {
    const QString owner = m_rooms.ownerOf(roomId, p.id);
    const bool mayPublish = !owner.isEmpty() && m_mayPublish(owner, roomId);
    const Verdict verdict = judge(p, owner, mayPublish);
    if (verdict == Verdict::Keep)
      continue;
    if (m_rooms.kick(roomId, p.id, &error)) {
      ++kicked;
      qInfo().noquote() << "janus: kicked feed" << p.id << "of" << (owner.isEmpty() ? QStringLiteral("nobody") : owner)
                        << "from room" << roomId << "for" << reason(verdict);
    } else {
      qWarning().noquote() << "janus: room" << roomId << error;
    }
  }
  return kicked;
}
