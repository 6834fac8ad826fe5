#pragma once
// Runs the built tarnwick-local for a test: on free ports, with a known secret, stopped with
// SIGTERM when the fixture goes. Also makes backend calls the way the client sends them
// (form-encoded POST, envelope reply), waiting in a local event loop.

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QString>
#include <QStringList>

class LocalService {
public:
  // extraArgs go after "--port 0 --hub-port 0 --secret <secret>".
  explicit LocalService(const QStringList &extraArgs = QStringList());
  ~LocalService();
  LocalService(const LocalService &) = delete;
  LocalService &operator=(const LocalService &) = delete;

  // Starts the program and waits for its "tarnwick-local http=<port> hub=<port>" line.
  bool start(int timeoutMs = 15000);
  // SIGTERM, then waits; true when the program ended by itself within the time.
  bool stop(int timeoutMs = 10000);
  bool isRunning() const;
  qint64 processId() const { return m_process.processId(); }
  // Waits for the program to end by itself (after a signal the test sent, say).
  bool waitForExit(int timeoutMs = 10000);

  quint16 httpPort() const { return m_httpPort; }
  quint16 hubPort() const { return m_hubPort; }   // 0 until started
  QString baseUrl() const;                          // http://127.0.0.1:<http port>
  QString hubUrl() const;                           // ws://127.0.0.1:<hub port>, empty until started
  QByteArray secret() const { return m_secret; }    // the secret user signatures are made with
  QString errorString() const { return m_error; }
  // Everything the program printed so far (stdout and stderr together).
  QByteArray output();
  int exitCode() const { return m_process.exitCode(); }
  QProcess::ExitStatus exitStatus() const { return m_process.exitStatus(); }

  static QString programPath();

  // A reply as the client sees it; httpStatus 0 means no HTTP answer at all.
  struct Reply {
    int httpStatus = 0;
    QByteArray contentType;
    QByteArray body;
    QJsonObject envelope;   // empty unless the body is a JSON object
    int errorCode() const;
    QString errorInfo() const;
    QJsonObject data() const;
  };
  using Params = QList<QPair<QString, QString>>;
  // POST "/<service>/<path>" with the parameters form-encoded.
  Reply call(const QString &service, const QString &path, const Params &params = Params()) const;
  // POST with a raw body and content type, for malformed requests.
  Reply postRaw(const QString &path, const QByteArray &body,
                const QByteArray &contentType = "application/x-www-form-urlencoded") const;
  Reply get(const QString &pathAndQuery) const;
  // Signs in with the phone and password and returns the token (empty on failure).
  QString signIn(const QString &phone, const QString &password) const;

private:
  Reply send(const QString &method, const QString &pathAndQuery, const QByteArray &body,
             const QByteArray &contentType) const;

  QStringList m_extraArgs;
  QByteArray m_secret;
  QProcess m_process;
  QByteArray m_output;
  quint16 m_httpPort = 0;
  quint16 m_hubPort = 0;
  QString m_error;
};
