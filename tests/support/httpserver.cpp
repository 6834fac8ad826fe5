#include "support/httpserver.h"

// Must match the options the system's cpp-httplib library was built with.
#ifndef CPPHTTPLIB_OPENSSL_SUPPORT
#define CPPHTTPLIB_OPENSSL_SUPPORT
#endif
#ifndef CPPHTTPLIB_ZLIB_SUPPORT
#define CPPHTTPLIB_ZLIB_SUPPORT
#endif
#ifndef CPPHTTPLIB_BROTLI_SUPPORT
#define CPPHTTPLIB_BROTLI_SUPPORT
#endif
#include <httplib.h>

#include <QTest>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace testsupport {

struct HttpServer::Impl {
  httplib::Server server;
  std::thread thread;
  int port = -1;

  mutable std::mutex mutex;
  std::condition_variable stopping;
  bool stopped = false;
  QMap<QString, Handler> routes;
  QList<HttpRequest> requests;

  void serve(const httplib::Request &in, httplib::Response &out);
  HttpRequest record(const httplib::Request &in);
  Handler handlerFor(const QString &path);
  void waitLate(int delayMs);
};

namespace {
QString text(const std::string &s) { return QString::fromStdString(s); }
// A multipart request's type is parked here while the body is read (see the constructor).
const char *const kParkedType = "X-Test-Parked-Content-Type";
} // namespace

HttpRequest HttpServer::Impl::record(const httplib::Request &in) {
  HttpRequest r;
  r.method = text(in.method);
  r.path = text(in.path);
  r.body = QByteArray::fromStdString(in.body);
  for (const auto &h : in.headers)
    r.headers.insert(h.first == kParkedType ? QStringLiteral("content-type") : text(h.first).toLower(), text(h.second));
  for (const auto &p : in.params) r.params.insert(text(p.first), text(p.second));
  std::lock_guard<std::mutex> lock(mutex);
  requests.append(r);
  return r;
}

HttpServer::Handler HttpServer::Impl::handlerFor(const QString &path) {
  std::lock_guard<std::mutex> lock(mutex);
  return routes.value(path);
}

void HttpServer::Impl::waitLate(int delayMs) {
  std::unique_lock<std::mutex> lock(mutex);
  stopping.wait_for(lock, std::chrono::milliseconds(delayMs), [this] { return stopped; });
}

void HttpServer::Impl::serve(const httplib::Request &in, httplib::Response &out) {
  const HttpRequest request = record(in);
  const Handler handler = handlerFor(request.path);
  HttpReply reply;
  if (handler) {
    reply = handler(request);
  } else {
    reply.status = 404;
    reply.body = "no route";
    reply.contentType = "text/plain";
  }
  if (reply.delayMs > 0) waitLate(reply.delayMs);
  out.status = reply.status;
  for (const auto &header : reply.headers) out.set_header(header.first.toStdString(), header.second.toStdString());
  out.set_content(reply.body.toStdString(), reply.contentType.toStdString());
}

HttpServer::HttpServer() : d(std::make_unique<Impl>()) {
  auto handler = [this](const httplib::Request &in, httplib::Response &out) { d->serve(in, out); };
  const std::string any = ".*";
  d->server.Get(any, handler).Post(any, handler).Put(any, handler).Delete(any, handler);
  // The library splits a multipart body into parts and leaves the body empty (dropping parts
  // it does not understand); tests compare the body byte for byte, so the type is parked
  // before the body is read and given back in the record.
  d->server.set_pre_routing_handler([](const httplib::Request &in, httplib::Response &) {
    auto &headers = const_cast<httplib::Headers &>(in.headers);
    const auto type = headers.find("Content-Type");
    if (type != headers.end() && type->second.rfind("multipart/", 0) == 0) {
      headers.emplace(kParkedType, type->second);
      headers.erase(type);
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });
  // One request per connection: an idle kept-alive connection would hold a server thread,
  // and so the destructor, for the keep-alive time.
  d->server.set_keep_alive_max_count(1);
  d->port = d->server.bind_to_any_port("127.0.0.1");
  if (d->port <= 0) return;
  d->thread = std::thread([this] { d->server.listen_after_bind(); });
  // stop() is only heard once the accept loop runs.
  for (int i = 0; i < 500 && !d->server.is_running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

HttpServer::~HttpServer() {
  {
    std::lock_guard<std::mutex> lock(d->mutex);
    d->stopped = true;
  }
  d->stopping.notify_all();
  d->server.stop();
  if (d->thread.joinable()) d->thread.join();
}

bool HttpServer::isListening() const { return d->port > 0 && d->server.is_running(); }
int HttpServer::port() const { return d->port; }
QString HttpServer::baseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(d->port); }

void HttpServer::route(const QString &path, const HttpReply &reply) {
  route(path, [reply](const HttpRequest &) { return reply; });
}

void HttpServer::route(const QString &path, const Handler &handler) {
  std::lock_guard<std::mutex> lock(d->mutex);
  d->routes.insert(path, handler);
}

QList<HttpRequest> HttpServer::requests() const {
  std::lock_guard<std::mutex> lock(d->mutex);
  return d->requests;
}

int HttpServer::requestCount() const { return requests().size(); }

bool HttpServer::waitForRequests(int count, int timeoutMs) const {
  return QTest::qWaitFor([&] { return requestCount() >= count; }, timeoutMs);
}

} // namespace testsupport
