#pragma once
// A class hub member over tarnwick-local's WebSocket, signed with the service's secret as the
// class sign-in would sign it: user signature and room grant.

#include "protocol/immessage.h"
#include "sdk/net/hubclient.h"

#include <QByteArray>
#include <QString>

#include <functional>

class LocalService;

struct ServiceMember {
  ServiceMember(const LocalService &service, const QString &userId);
  // Waits for the hub's answer; true when it was 0.
  bool call(const std::function<void(sdk::HubReplyFn)> &request);
  // Signs in and joins roomId with a grant for role; the hub's code of the first failure.
  bool enter(quint32 roomId, const QString &role);
  bool send(quint32 roomId, const QByteArray &data, const QString *pushExt);
  QString grant(quint32 roomId, const QString &role) const;

  QString userId, sig;
  QByteArray secret;
  sdk::HubClient client;
};
