#pragma once
// The class hub inside tarnwick-local: a WebSocket server on the main thread's event loop,
// sharing the service's secret so that the user signatures the HTTP side issues let users
// in.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

class Hub;
class RoomStore;
class AccountStore;

class HubHost : public QObject {
  Q_OBJECT
public:
  HubHost(const QByteArray &secret, RoomStore &rooms, const AccountStore &accounts, QObject *parent = nullptr);
  ~HubHost() override;

  // Listens on 127.0.0.1:port (0 = any free port).
  bool listen(quint16 port, QString *error);
  quint16 port() const;
  // The service's own page origins: the only ones whose pages may open the hub.
  void setPageOrigins(const QStringList &origins);
  const Hub &hub() const;

private:
  struct Parts;
  Parts *m_parts = nullptr;
};
