#pragma once
// Loopback HTTP server for tests: listens on 127.0.0.1 on a port the system picks and serves
// from its own threads. Each path answers with a canned reply (optionally late) or through a
// handler; every request is recorded so a test can check what arrived.
//
//   testsupport::HttpServer server;
//   server.route("/live-service/version", {200, R"({"errorCode":0,"data":{}})"});
//   qputenv("TARNWICK_BACKEND_URL", server.baseUrl().toUtf8());
//   ... QVERIFY(server.waitForRequests(1, 5000)); server.requests().at(0).params ...
//
// Handlers run on a server thread, not the test's thread. Paths without a route answer 404.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <functional>
#include <memory>

namespace testsupport {

struct HttpRequest {
  QString method;
  QString path;
  QByteArray body;
  QMap<QString, QString> headers; // names in lower case
  QMap<QString, QString> params;  // query and form parameters, decoded as a server does
};

struct HttpReply {
  int status = 200;
  QByteArray body;
  QByteArray contentType = "application/json";
  int delayMs = 0; // answer this late; cut short when the server stops
  QList<QPair<QByteArray, QByteArray>> headers{}; // more headers (Location, Content-Disposition)
};

class HttpServer {
public:
  using Handler = std::function<HttpReply(const HttpRequest &)>;

  HttpServer(); // listening when it returns
  ~HttpServer();
  HttpServer(const HttpServer &) = delete;
  HttpServer &operator=(const HttpServer &) = delete;

  bool isListening() const;
  int port() const;
  QString baseUrl() const; // "http://127.0.0.1:<port>"

  // Any method on this exact path. A later route for the same path replaces the earlier.
  void route(const QString &path, const HttpReply &reply);
  void route(const QString &path, const Handler &handler);

  QList<HttpRequest> requests() const; // in order of arrival
  int requestCount() const;
  // Runs the caller's event loop until count requests have arrived or the time is up.
  bool waitForRequests(int count, int timeoutMs) const;

private:
  struct Impl;
  std::unique_ptr<Impl> d;
};

} // namespace testsupport
