// Fuzz target: whatever the hub sends a client, as a control message (reply, notice, IM
// message) or as a media frame, the SDK's hub client reads or drops it without crashing,
// answers its one pending request at most once, and hands on only what it can read back.
#include "fuzzapp.h"
#include "hubroundtrip.h"

#include "sdk/net/hubclient.h"

#include <memory>

namespace {

// A link that opens at once and drops what the client sends.
class LoopTransport : public sdk::HubTransport {
public:
  void open() override { emit opened(); }
  void sendText(const QByteArray &) override {}
  void sendBinary(const QByteArray &) override {}
  void close() override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzapp::init();
  if (size == 0)
    return 0;
  auto owned = std::make_unique<LoopTransport>();
  LoopTransport *transport = owned.get();
  sdk::HubClient client(std::move(owned));
  QObject::connect(&client, &sdk::HubClient::imMessage, &hubroundtrip::checkMessage);
  QObject::connect(&client, &sdk::HubClient::mediaFrame, &hubroundtrip::checkFrame);
  int answers = 0;
  client.ping([&answers](const sdk::HubReply &) { ++answers; }); // request id 1
  const QByteArray bytes = fuzzapp::bytes(data + 1, size - 1);
  if (data[0] & 1)
    emit transport->binaryReceived(bytes);
  else
    emit transport->textReceived(bytes);
  emit transport->textReceived(bytes); // a second delivery must not answer the request again
  fuzzapp::check(answers <= 1, "a request was answered twice");
  return 0;
}
