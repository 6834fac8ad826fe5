#include "sdk/live/pendingsends.h"

#include "protocol/protocol.h"
#include "sdk/net/hubclient.h"

#include <QRandomGenerator>

namespace ilivesdk {

PendingSends::PendingSends()
    : m_prefix(QString::number(QRandomGenerator::global()->generate64(), 36) + QLatin1Char('-')) {}

QString PendingSends::nextKey() { return m_prefix + QString::number(m_next++, 36); }

bool PendingSends::add(PendingSend send) {
  if (m_queue.size() >= kMaxQueued)
    return false;
  m_queue.append(std::move(send));
  return true;
}

void PendingSends::queue(PendingSend send) {
  const PendingSend::Done done = send.done;
  if (!add(std::move(send)) && done)
    done(hubproto::ClientBusy, QStringLiteral("too many messages wait for the link"));
}

void PendingSends::sendOn(sdk::HubClient *client, PendingSend send, std::function<bool()> comingBack) {
  const QString *ext = send.hasPushExt ? &send.pushExt : nullptr;
  const PendingSend kept = send;
  client->sendMessage(send.conv, send.elems, ext, [this, kept, comingBack](const sdk::HubReply &r) {
    if (r.code == hubproto::ClientConnectionLost && comingBack())
      return queue(kept);
    if (kept.done)
      kept.done(r.code, r.desc);
  }, send.msgKey);
}

QList<PendingSend> PendingSends::takeAll() {
  QList<PendingSend> out = std::move(m_queue);
  m_queue.clear();
  return out;
}

void PendingSends::failAll(int code, const QString &desc) {
  for (const PendingSend &s : takeAll())
    if (s.done)
      s.done(code, desc);
}

} // namespace ilivesdk
