#include "sdk/net/xmpp/xmppinbox.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace xmppim {

namespace {
quint64 idValue(const QString &id) {
  bool ok = false;
  const quint64 v = id.toULongLong(&ok);
  return ok ? v : 0;
}
} // namespace

void Inbox::hold() { m_holding = true; }

bool Inbox::take(const Arrival &arrival) {
  const quint64 id = idValue(arrival.id);
  if (id == 0)
    return arrival.deliver;
  quint64 &last = m_last[arrival.archive];
  if (id <= last)
    return false;
  last = id;
  return arrival.deliver;
}

QVector<hubproto::ImMessage> Inbox::arrive(Arrival arrival) {
  if (m_holding) {
    if (m_held.size() >= kMaxHeld)
      m_held.removeFirst();
    m_held.append(std::move(arrival));
    return {};
  }
  if (!take(arrival))
    return {};
  return {arrival.message};
}

QVector<hubproto::ImMessage> Inbox::release() {
  m_holding = false;
  QVector<Arrival> held = std::move(m_held);
  m_held.clear();
  // Unstamped arrivals have no place in the archive's order: they follow, as they came. Of
  // two copies of one message the one to hand on comes first (a copy that came before the
  // room's members were known could not be judged).
  auto key = [](const Arrival &a) {
    const quint64 id = idValue(a.id);
    return std::make_pair(id ? id : std::numeric_limits<quint64>::max(), !a.deliver);
  };
  std::stable_sort(held.begin(), held.end(), [&key](const Arrival &a, const Arrival &b) { return key(a) < key(b); });
  QVector<hubproto::ImMessage> out;
  for (const Arrival &a : qAsConst(held))
    if (take(a))
      out.append(a.message);
  return out;
}

void Inbox::discard() {
  m_holding = false;
  m_held.clear();
}

QString Inbox::lastId(const QString &archive) const {
  const quint64 last = m_last.value(archive);
  return last ? QString::number(last) : QString();
}

void Inbox::clear() {
  m_last.clear();
  m_held.clear();
  m_holding = false;
}

} // namespace xmppim
