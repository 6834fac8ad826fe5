#include "originserver.h"

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

#include <functional>
#include <mutex>
#include <thread>

struct OriginServer::Impl {
  using Answer = std::function<void(httplib::Response &)>;
  httplib::Server server;
  std::thread thread;
  int port = -1;
  mutable std::mutex mutex;
  std::map<std::string, Answer> answers;
  QStringList requested;

  void add(const QString &path, Answer answer) {
    std::lock_guard<std::mutex> lock(mutex);
    answers[path.toStdString()] = std::move(answer);
  }

  void serve(const httplib::Request &in, httplib::Response &out) {
    Answer answer;
    {
      std::lock_guard<std::mutex> lock(mutex);
      requested << QString::fromStdString(in.path);
      const auto it = answers.find(in.path);
      if (it != answers.end()) answer = it->second;
    }
    if (answer) {
      answer(out);
    } else {
      out.status = 404;
      out.set_content("no such page", "text/plain");
    }
  }
};

OriginServer::OriginServer() : d(new Impl) {
  d->server.Get(".*", [this](const httplib::Request &in, httplib::Response &out) { d->serve(in, out); });
  d->port = d->server.bind_to_any_port("127.0.0.1");
  d->thread = std::thread([this] { d->server.listen_after_bind(); });
  // Connections made before the thread listens wait in the socket's backlog.
}

OriginServer::~OriginServer() {
  d->server.stop();
  if (d->thread.joinable()) d->thread.join();
}

QString OriginServer::origin() const { return QStringLiteral("http://127.0.0.1:%1").arg(d->port); }

void OriginServer::page(const QString &path, const QByteArray &html) {
  const std::string body = html.toStdString();
  d->add(path, [body](httplib::Response &out) { out.set_content(body, "text/html; charset=utf-8"); });
}

void OriginServer::redirect(const QString &path, const QString &to) {
  const std::string target = to.toStdString();
  d->add(path, [target](httplib::Response &out) { out.set_redirect(target); });
}

void OriginServer::download(const QString &path) {
  d->add(path, [](httplib::Response &out) {
    out.set_header("Content-Disposition", "attachment; filename=\"notes.txt\"");
    out.set_content("notes", "application/octet-stream");
  });
}

void OriginServer::empty(const QString &path) {
  d->add(path, [](httplib::Response &out) { out.status = 204; });
}

QStringList OriginServer::requested() const {
  std::lock_guard<std::mutex> lock(d->mutex);
  return d->requested;
}
