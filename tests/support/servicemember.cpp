#include "support/servicemember.h"

#include "protocol/roomgrant.h"
#include "protocol/usersig.h"
#include "sdk/net/websockettransport.h"
#include "support/localservice.h"

#include <QTest>

ServiceMember::ServiceMember(const LocalService &service, const QString &userId)
    : userId(userId), sig(usersig::issueFor(service.secret(), userId, 3600)), secret(service.secret()),
      client(std::make_unique<sdk::WebSocketTransport>(QUrl(service.hubUrl()))) {}

bool ServiceMember::call(const std::function<void(sdk::HubReplyFn)> &request) {
  int code = -1;
  request([&](const sdk::HubReply &r) { code = r.code; });
  (void)QTest::qWaitFor([&] { return code != -1; }, 5000);
  return code == 0;
}

bool ServiceMember::enter(quint32 roomId, const QString &role) {
  return call([&](sdk::HubReplyFn done) { client.login(userId, sig, done); }) &&
         call([&](sdk::HubReplyFn done) { client.join(roomId, role, grant(roomId, role), done); });
}

bool ServiceMember::send(quint32 roomId, const QByteArray &data, const QString *pushExt) {
  hubproto::Element e;
  e.kind = hubproto::Element::Custom;
  e.data = data;
  hubproto::Conversation conv{hubproto::Conversation::Group, QString::number(roomId)};
  return call([&](sdk::HubReplyFn done) { client.sendMessage(conv, {e}, pushExt, done); });
}

QString ServiceMember::grant(quint32 roomId, const QString &role) const {
  return roomgrant::issueFor(secret, userId, roomId, role, 3600);
}
