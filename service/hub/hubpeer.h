#pragma once
// The hub's view of one connection. A transport implements it, attaches it to the Hub and
// feeds the Hub what arrives; the Hub writes through it. All calls happen on the Hub's thread.

#include <QByteArray>
#include <QString>

class HubPeer {
public:
  virtual ~HubPeer() = default;
  virtual void sendText(const QByteArray &json) = 0;
  virtual void sendBinary(const QByteArray &frame) = 0;
  // Bytes handed to sendText/sendBinary that the other side has not taken yet.
  virtual qint64 queuedBytes() const = 0;
  // The hub has dropped this connection (it already forgot the peer): close it. The transport
  // must not feed the hub for it any more, and must not call into the hub from this call.
  virtual void disconnectPeer(int code, const QString &reason) = 0;
  // For log lines: where the connection comes from.
  virtual QString describe() const = 0;
};
