#pragma once
// The seam between the SDK and whatever carries its protocol to a hub: a WebSocket to
// tarnwick-local when the program runs, an in-process link straight into a Hub in tests, and
// later other backends. A transport carries whole text (JSON) and binary (media) messages.

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace sdk {

class HubTransport : public QObject {
  Q_OBJECT
public:
  using QObject::QObject;
  // Starts connecting; opened() or closed() follows.
  virtual void open() = 0;
  virtual void sendText(const QByteArray &json) = 0;
  virtual void sendBinary(const QByteArray &frame) = 0;
  // Closes from our side; closed() is not emitted for it.
  virtual void close() = 0;
  // Bytes handed to send*() that have not reached the operating system yet.
  virtual qint64 bytesQueued() const { return 0; }

signals:
  void opened();
  void textReceived(const QByteArray &json);
  void binaryReceived(const QByteArray &frame);
  // The link failed to open or went away. Emitted at most once.
  void closed(int code, const QString &reason);
};

using HubTransportFactory = std::function<std::unique_ptr<HubTransport>()>;

// Chooses how the process's live SDK reaches its hub; call before GetILive()->init(). An empty
// factory restores the default: a WebSocket to Deployment::instance().hubUrl (or the host given
// to setChannelMode).
void setHubTransportFactory(HubTransportFactory factory);
// A transport made by the chosen factory, or a WebSocket to url when none was chosen.
std::unique_ptr<HubTransport> createHubTransport(const QString &url);

} // namespace sdk
