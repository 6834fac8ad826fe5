#include "service/janushandles.h"

#include "service/janusapi.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>

namespace {
// The session or handle went between Janus's list and the question about it.
constexpr int kNoSuchSession = 458;
constexpr int kNoSuchHandle = 459;

quint64 idOf(const QJsonValue &v) { return static_cast<quint64>(v.toDouble()); }

bool wentAway(const QJsonObject &reply) {
  const int code = reply.value(QStringLiteral("error")).toObject().value(QStringLiteral("code")).toInt();
  return code == kNoSuchSession || code == kNoSuchHandle;
}
} // namespace

bool JanusHandles::refresh(QString *error) {
  m_requests = 1;
  QJsonObject reply;
  if (!m_api.adminQuery(QStringLiteral("list_sessions"), 0, 0, &reply, error))
    return false;
  // The service's own handle never joins a room: it would only be asked about again and again.
  const quint64 own = m_api.ownSession();
  QHash<quint64, Handle> seen;
  for (const QJsonValue &v : reply.value(QStringLiteral("sessions")).toArray()) {
    const quint64 session = idOf(v);
    if (session != own && !listHandles(session, &seen, error))
      return false;
  }
  m_handles = seen;
  index();
  return true;
}

void JanusHandles::index() {
  QHash<QPair<quint32, quint64>, QList<quint64>> claims;
  for (auto it = m_handles.constBegin(); it != m_handles.constEnd(); ++it) {
    if (it->room != 0)
      claims[{it->room, it->feed}].append(it.key());
  }
  m_byFeed.clear();
  for (auto it = claims.constBegin(); it != claims.constEnd(); ++it) {
    QList<quint64> holders = it.value();
    if (holders.size() > 1)
      holders.erase(std::remove_if(holders.begin(), holders.end(), [this](quint64 h) { return !stillJoined(h); }),
                    holders.end());
    // Janus lets one participant at a time hold an id: anything else leaves the id unaccounted for.
    if (holders.size() == 1)
      m_byFeed.insert(it.key(), holders.first());
  }
}

bool JanusHandles::stillJoined(quint64 handle) {
  Handle &h = m_handles[handle];
  h.settled = false;
  h.room = 0;
  bool gone = false;
  QString error;
  return readHandle(handle, &h, &gone, &error) && h.room != 0;
}

bool JanusHandles::listHandles(quint64 session, QHash<quint64, Handle> *seen, QString *error) {
  ++m_requests;
  QJsonObject reply;
  if (!m_api.adminQuery(QStringLiteral("list_handles"), session, 0, &reply, error))
    return wentAway(reply); // a session that went has no participants left either
  for (const QJsonValue &v : reply.value(QStringLiteral("handles")).toArray()) {
    const quint64 id = idOf(v);
    Handle h = m_handles.value(id);
    h.session = session;
    bool gone = false;
    if (!h.settled && !readHandle(id, &h, &gone, error)) {
      if (!gone)
        return false;
      continue;
    }
    seen->insert(id, h);
  }
  return true;
}

bool JanusHandles::readHandle(quint64 handle, Handle *h, bool *gone, QString *error) {
  ++m_requests;
  QJsonObject reply;
  if (!m_api.adminQuery(QStringLiteral("handle_info"), h->session, handle, &reply, error)) {
    *gone = wentAway(reply);
    return false;
  }
  const QJsonObject info = reply.value(QStringLiteral("info")).toObject();
  h->tag = info.value(QStringLiteral("opaque_id")).toString();
  const QJsonObject plugin = info.value(QStringLiteral("plugin_specific")).toObject();
  const QString type = plugin.value(QStringLiteral("type")).toString();
  const bool joined = plugin.contains(QStringLiteral("id"));
  // A handle that has not joined yet shows no type; a publisher's that left shows no id.
  if (type == QLatin1String("publisher") && joined) {
    h->room = static_cast<quint32>(plugin.value(QStringLiteral("room")).toDouble());
    h->feed = idOf(plugin.value(QStringLiteral("id")));
  }
  h->settled = !type.isEmpty() && (type != QLatin1String("publisher") || joined);
  return true;
}

bool JanusHandles::tagOf(quint32 roomId, quint64 feedId, QString *tag) const {
  const auto it = m_byFeed.constFind({roomId, feedId});
  if (it == m_byFeed.constEnd())
    return false;
  *tag = m_handles.value(it.value()).tag;
  return true;
}
