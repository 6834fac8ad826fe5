#pragma once
// Messages the program sent while the link was down (or that were on their way when it
// broke): kept in order, each with the key the hub knows it by, and sent once the link is back.
// A message the hub had already taken before the cut is taken only once again (its key).

#include "protocol/immessage.h"

#include <QList>
#include <QString>
#include <QVector>

#include <functional>

namespace sdk {
class HubClient;
class ImTransport;
}

namespace ilivesdk {

struct PendingSend {
  using Done = std::function<void(int code, const QString &desc)>;
  hubproto::Conversation conv;
  QVector<hubproto::Element> elems;
  bool hasPushExt = false;
  QString pushExt;
  QString msgKey;
  Done done;
};

class PendingSends {
public:
  // Beyond this many the program is told the link is busy instead.
  static constexpr int kMaxQueued = 256;

  PendingSends();
  // A key no earlier run of the program can have used.
  QString nextKey();
  bool add(PendingSend send);
  // As add; a send the queue has no room for is answered busy at once.
  void queue(PendingSend send);
  // Hands a send to a link, which answers through done.
  using Sender = std::function<void(const PendingSend &send, PendingSend::Done done)>;
  // Sends on the client under the send's key. A send cut on its way is queued again (same
  // key) while comingBack() says the link is being brought back; otherwise it is answered.
  void sendOn(sdk::HubClient *client, PendingSend send, std::function<bool()> comingBack);
  // The same through an IM server's transport, which keys its messages itself.
  void sendOn(sdk::ImTransport *im, PendingSend send, std::function<bool()> comingBack);
  // The same through any link.
  void sendOn(const Sender &sender, PendingSend send, std::function<bool()> comingBack);
  QList<PendingSend> takeAll();
  void failAll(int code, const QString &desc);
  int size() const { return m_queue.size(); }

private:
  QList<PendingSend> m_queue;
  QString m_prefix;
  quint64 m_next = 1;
};

} // namespace ilivesdk
