#pragma once
// IM over the class hub: the live session's hub connection already signed in and joined, so
// this only sends through it and passes its messages on. Its force-offline and connection loss
// reach the session from the hub connection itself.

#include "sdk/net/hubclient.h"
#include "sdk/net/imtransport.h"

#include <QPointer>

namespace sdk {

class HubImTransport : public ImTransport {
  Q_OBJECT
public:
  explicit HubImTransport(HubClient *client, QObject *parent = nullptr);

  void signIn(const QString &userId, Done done) override;
  void joinRoom(quint32 roomId, Done done) override;
  void leaveRoom() override {}
  void send(const hubproto::Conversation &conv, const QVector<hubproto::Element> &elems,
            const QString *offlinePushExt, Done done) override;
  void signOut() override;

private:
  QPointer<HubClient> m_client;
};

} // namespace sdk
