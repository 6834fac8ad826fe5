#include "originserver.h"

namespace {
constexpr int kFound = 302;
constexpr int kNoContent = 204;
} // namespace

void OriginServer::page(const QString &path, const QByteArray &html) {
  server_.route(path, testsupport::HttpReply{200, html, "text/html; charset=utf-8", 0, {}});
}

void OriginServer::redirect(const QString &path, const QString &to) {
  server_.route(path, testsupport::HttpReply{kFound, {}, "text/plain", 0, {{"Location", to.toUtf8()}}});
}

void OriginServer::download(const QString &path) {
  server_.route(path, testsupport::HttpReply{200, "notes", "application/octet-stream", 0,
                                             {{"Content-Disposition", "attachment; filename=\"notes.txt\""}}});
}

void OriginServer::empty(const QString &path) {
  server_.route(path, testsupport::HttpReply{kNoContent, {}, "text/plain", 0, {}});
}

QStringList OriginServer::requested() const {
  QStringList paths;
  for (const testsupport::HttpRequest &r : server_.requests()) paths << r.path;
  return paths;
}
