#pragma once
// A loopback web server standing for one origin (http://127.0.0.1:<port>) in browser-engine
// tests: pages, redirects, downloads and empty answers on fixed paths, and a record of the
// paths asked for.

#include "support/httpserver.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class OriginServer {
public:
  QString origin() const { return server_.baseUrl(); }
  QString url(const QString &path) const { return origin() + path; }

  void page(const QString &path, const QByteArray &html);
  void redirect(const QString &path, const QString &to);
  // Answered as a file to save, so the navigation never replaces the page that asked.
  void download(const QString &path);
  // 204: nothing to show, the page that asked stays.
  void empty(const QString &path);

  QStringList requested() const;

private:
  testsupport::HttpServer server_;
};
