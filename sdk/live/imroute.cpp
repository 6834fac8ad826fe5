#include "sdk/live/imroute.h"

#include "sdk/net/hubimtransport.h"
#include "sdk/net/xmpp/xmppimtransport.h"

namespace ilivesdk {

namespace {
// A transport that refuses every sign-in: the deployment named an IM server we cannot use.
class UnusableIm : public sdk::ImTransport {
public:
  explicit UnusableIm(QString why) : m_why(std::move(why)) {}
  void signIn(const QString &, Done done) override { done(hubproto::ClientConnect, m_why); }
  void joinRoom(quint32, Done done) override { done(hubproto::ClientNotLoggedIn, m_why); }
  void leaveRoom() override {}
  void send(const hubproto::Conversation &, const QVector<hubproto::Element> &, const QString *,
            Done done) override {
    done(hubproto::ClientNotLoggedIn, m_why);
  }
  void signOut() override {}

private:
  QString m_why;
};
} // namespace

std::unique_ptr<sdk::ImTransport> createImTransport(const ImRoute &route, sdk::HubClient *hub) {
  if (route.address.isEmpty())
    return std::make_unique<sdk::HubImTransport>(hub);
  sdk::XmppAddress address;
  if (!sdk::XmppAddress::parse(route.address, &address))
    return std::make_unique<UnusableIm>(QStringLiteral("unusable IM address: ") + route.address);
  return std::make_unique<sdk::XmppImTransport>(address, route.token);
}

} // namespace ilivesdk
