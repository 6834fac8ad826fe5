#include "sdk/live/pendingsends.h"

#include "protocol/protocol.h"
#include "sdk/net/hubclient.h"
#include "sdk/net/imtransport.h"

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
  sendOn([client](const PendingSend &s, PendingSend::Done done) {
    client->sendMessage(s.conv, s.elems, s.hasPushExt ? &s.pushExt : nullptr,
                        [done](const sdk::HubReply &r) { done(r.code, r.desc); }, s.msgKey);
  }, std::move(send), std::move(comingBack));
}

void PendingSends::sendOn(sdk::ImTransport *im, PendingSend send, std::function<bool()> comingBack) {
  sendOn([im](const PendingSend &s, PendingSend::Done done) {
    im->send(s.conv, s.elems, s.hasPushExt ? &s.pushExt : nullptr, std::move(done));
  }, std::move(send), std::move(comingBack));
}

void PendingSends::sendOn(const Sender &sender, PendingSend send, std::function<bool()> comingBack) {
  const PendingSend kept = send;
  sender(send, [this, kept, comingBack](int code, const QString &desc) {
    if (code == hubproto::ClientConnectionLost && comingBack())
      return queue(kept);
    if (kept.done)
      kept.done(code, desc);
  });
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
