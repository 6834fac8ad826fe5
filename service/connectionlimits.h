#pragma once
// How long a connection may take to send a request, and how many connections one address may
// hold at once. A client that trickles its request, or opens connection after connection,
// ties up only its own share of the server's workers.

#include <QHash>
#include <QMutex>
#include <QString>

struct ConnectionLimits {
  int headerMs = 5000;    // from the first byte of a request to the end of its headers
  int bodyMs = 30000;     // from the end of the headers to the end of the body
  int idleMs = 5000;      // before the first request, and between two on one connection
  int perAddress = 32;    // open connections of one address
  int workers = 48;       // the server's threads: more than one address may hold
};

// Counts the open connections of each address. Locks; the server's threads share it.
class ConnectionCounter {
public:
  explicit ConnectionCounter(int perAddress) : m_perAddress(perAddress) {}
  // Takes a place for address; false (and nothing taken) when the address holds all of its own.
  bool admit(const QString &address);
  void release(const QString &address);
  int openFrom(const QString &address) const;

private:
  const int m_perAddress;
  mutable QMutex m_mutex;
  QHash<QString, int> m_open;
};
