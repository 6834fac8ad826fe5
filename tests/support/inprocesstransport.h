#pragma once
// A link straight into a Hub object of the same process: what tests use instead of a socket.
// Works across threads: the hub's side runs on the hub's thread, the client's on its own.

#include "sdk/net/hubtransport.h"

#include <memory>

class Hub;

namespace sdk {

struct InProcessLink;

class InProcessTransport : public HubTransport {
  Q_OBJECT
public:
  explicit InProcessTransport(Hub *hub, QObject *parent = nullptr);
  ~InProcessTransport() override;

  void open() override;
  void sendText(const QByteArray &json) override;
  void sendBinary(const QByteArray &frame) override;
  void close() override;

private:
  std::shared_ptr<InProcessLink> m_link;
  bool m_done = false;
};

// Makes the process's live SDK (and every later createHubTransport) reach hub in-process.
void useInProcessHub(Hub *hub);

} // namespace sdk
