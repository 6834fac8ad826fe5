#pragma once
// The service's own line to Janus: the Janus API over HTTP with the API secret, on one session
// and one VideoRoom handle of its own, and the Admin API over HTTP with the admin secret. Both
// listen on loopback only. The secrets go into request bodies and nowhere else: errors name
// the request, never what was sent.

#include <QByteArray>
#include <QJsonObject>
#include <QMutex>
#include <QString>

class JanusApi {
public:
  struct Endpoints {
    QString apiUrl;   // http://127.0.0.1:<port>, the Janus API (its base path /janus)
    QString adminUrl; // http://127.0.0.1:<port>, the Admin API (its base path /admin)
    QByteArray apiSecret;
    QByteArray adminSecret;
  };

  explicit JanusApi(Endpoints endpoints);

  // One synchronous VideoRoom request (create, allowed, kick, listparticipants, …) on the
  // service's handle: the plugin's answer in *data. A VideoRoom refusal is an answer too: it
  // carries "error_code". False with *error only when Janus could not be asked.
  bool videoroom(const QJsonObject &body, QJsonObject *data, QString *error);
  // One Admin API request (add_token, remove_token, …); false with *error when refused.
  bool admin(const QString &request, QJsonObject args, QString *error);
  // One Admin API request about a session (list_handles) or one of its handles (handle_info),
  // or about Janus (list_sessions) when session is 0: Janus's answer in *reply.
  bool adminQuery(const QString &request, quint64 session, quint64 handle, QJsonObject *reply, QString *error);

  // The service's own session (0 before its first VideoRoom request): it holds no member's handles.
  quint64 ownSession();

  static constexpr int kTimeoutS = 5;
  static const QString kVideoRoom; // "janus.plugin.videoroom"

private:
  struct Address {
    QString host;
    int port = 0;
  };
  // POSTs one JSON request; the reply's JSON in *reply. False when unreachable or not JSON.
  bool post(const Address &to, const QString &path, const QJsonObject &request, QJsonObject *reply,
            QString *error) const;
  // A Janus API request with the API secret and a transaction; false with *error for "error".
  bool call(const QString &path, QJsonObject request, QJsonObject *reply, QString *error) const;
  // An Admin API request at path (/admin, /admin/<session>, …) with the admin secret.
  bool adminAt(const QString &path, const QString &request, QJsonObject args, QJsonObject *reply,
               QString *error) const;
  bool openHandle(QString *error);
  bool sendToHandle(const QJsonObject &body, QJsonObject *reply, QString *error);

  Address m_api;
  Address m_admin;
  QByteArray m_apiSecret;
  QByteArray m_adminSecret;
  QMutex m_lock; // one request at a time on the service's handle
  quint64 m_session = 0;
  quint64 m_handle = 0;
};
