#pragma once
// Everything tarnwick-local runs, put together: state, routes, the HTTP server and the hub.

#include "service/serviceoptions.h"

#include <QObject>
#include <QString>

#include <memory>

class ServiceApp : public QObject {
  Q_OBJECT
public:
  ~ServiceApp() override;

  // Loads the seed and the version reply, builds the routes, binds both ports and starts
  // serving. Null, with *error, when any of that fails.
  static std::unique_ptr<ServiceApp> start(const ServiceOptions &options, QString *error);

  quint16 httpPort() const;
  quint16 hubPort() const;
  // The first line the service prints: "tarnwick-local http=<port> hub=<port>".
  QString readyLine() const;
  // Stops the HTTP server (its workers finish their requests first).
  void stop();

private:
  struct Parts;
  explicit ServiceApp(std::unique_ptr<Parts> parts);
  std::unique_ptr<Parts> m_parts;
};
