#pragma once
// One session with a Janus server over its WebSocket API: the session itself, plugin handles
// attached to it, requests answered by transaction, the events Janus sends a handle on its
// own, trickled ICE candidates and the keep-alive that holds the session open. Lives on one
// thread; its callbacks and signals come on that thread.

#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QWebSocket>

#include <functional>

namespace sdk {

class JanusSession : public QObject {
  Q_OBJECT
public:
  // The answer to a request: Janus's "success" or "event" message, or error set when Janus
  // answered "error" or the session went away first.
  struct Answer {
    QString error;
    QJsonObject message;
    QJsonObject data() const; // the plugin's answer, or the session's for create and attach
    QJsonObject jsep() const { return message.value(QLatin1String("jsep")).toObject(); }
  };
  using Done = std::function<void(const Answer &answer)>;
  static constexpr int kKeepAliveMs = 25000; // Janus drops a session after 60 s of silence
  // A link that died without a word (a cable pulled, a machine gone) shows only as silence:
  // a keep-alive Janus has not answered in this time counts as a lost link.
  static constexpr int kKeepAliveAnswerMs = 10000;

  // token goes into every request: Janus opens nothing without one the service stored.
  JanusSession(const QUrl &url, const QString &token, QObject *parent = nullptr);
  ~JanusSession() override;

  // Connects and creates the session; opened() or lost() follows.
  void open();
  bool isOpen() const { return m_sessionId != 0; }
  // A handle on the plugin, tagged with opaqueId (none when empty); done's data() carries its
  // "id".
  void attach(const QString &plugin, const QString &opaqueId, Done done);
  void detach(quint64 handle);
  // A plugin request on a handle, with an SDP when the request carries one.
  void message(quint64 handle, const QJsonObject &body, const QJsonObject &jsep, Done done);
  // A local ICE candidate of a handle's peer connection; an empty candidate ends them.
  void trickle(quint64 handle, int mlineIndex, const QString &candidate);
  // Destroys the session and closes the link; no lost() follows.
  void close();
  // Shorter times for tests; before open().
  void setKeepAlive(int intervalMs, int answerMs);

signals:
  void opened();
  // The link failed, Janus dropped the session, or it could not be created.
  void lost(const QString &why);
  // A plugin event that answers no request (a publisher joined or left, and the like).
  void event(quint64 handle, const QJsonObject &data, const QJsonObject &jsep);
  // Janus closed the peer connection of a handle.
  void hangup(quint64 handle, const QString &reason);

private:
  void send(QJsonObject request, Done done);
  void onText(const QString &text);
  void onConnected();
  void fail(const QString &why);
  void failPending(const QString &why);
  void sendKeepAlive();
  void stopKeepAlive();

  QUrl m_url;
  QString m_token;
  QWebSocket m_socket; // a child, so that it moves with the session to another thread
  QTimer m_keepAlive;
  QTimer m_answerDeadline; // runs from a keep-alive until Janus says anything
  quint64 m_sessionId = 0;
  quint64 m_nextTransaction = 1;
  QHash<QString, Done> m_pending;
  bool m_closing = false;
};

} // namespace sdk
