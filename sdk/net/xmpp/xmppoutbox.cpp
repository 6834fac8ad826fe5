#include "sdk/net/xmpp/xmppoutbox.h"

namespace xmppim {

void Outbox::add(const QXmppMessage &message, qint64 nowMs) {
  if (m_kept.size() >= kMaxKept)
    m_kept.removeFirst();
  m_kept.append(Kept{message, nowMs});
}

void Outbox::confirm(const QString &id) {
  if (id.isEmpty())
    return;
  for (auto it = m_kept.begin(); it != m_kept.end(); ++it) {
    if (it->message.id() == id || it->message.originId() == id) {
      m_kept.erase(it);
      return;
    }
  }
}

void Outbox::settle(qint64 nowMs) {
  for (auto it = m_kept.begin(); it != m_kept.end();) {
    const bool settled = it->message.type() != QXmppMessage::GroupChat && nowMs - it->sentAtMs >= kSettleMs;
    it = settled ? m_kept.erase(it) : it + 1;
  }
}

QList<QXmppMessage> Outbox::takeAll() {
  QList<QXmppMessage> out;
  for (const Kept &k : qAsConst(m_kept))
    out.append(k.message);
  m_kept.clear();
  return out;
}

} // namespace xmppim
