#pragma once
// A page of a running program, reached through the browser engine's remote-debugging port
// (the DevTools protocol over a WebSocket): lets a test read and drive a page of a program it
// started as a separate process.

#include <QJsonValue>
#include <QString>
#include <QWebSocket>

class DevToolsPage {
public:
  // Attaches to the first page listed on 127.0.0.1:port whose address starts with origin,
  // waiting up to timeoutMs for one to appear. Other programs may hold the port; only a page
  // of the given origin is taken.
  bool attach(quint16 port, const QString &origin, int timeoutMs);
  QString url() const { return m_url; }
  // The value of a JavaScript expression evaluated in the page; undefined when the page did
  // not answer in time or the expression threw.
  QJsonValue evaluate(const QString &expression, int timeoutMs = 5000);
  // Evaluates until the expression's value is `expected` or the time is up.
  bool waitFor(const QString &expression, const QJsonValue &expected, int timeoutMs);

private:
  QString findPage(quint16 port, const QString &origin);

  QWebSocket m_socket;
  QString m_url;
  int m_nextId = 1;
};
