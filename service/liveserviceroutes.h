#pragma once
// The "live-service" calls of the portal shell: client version and support address.

#include "service/apirouter.h"

struct ServiceConfig;

class LiveServiceRoutes {
public:
  explicit LiveServiceRoutes(const ServiceConfig &config) : m_config(config) {}

  void registerRoutes(ApiRouter &router);

  // Answers the configured reply: a "data" object, or a whole envelope when it carries
  // "errorCode" (so a test can make the check fail).
  ApiReply version(const FormParams &p) const;
  ApiReply customerServiceUrl(const FormParams &p) const;

  // The reply of a service started without --version-reply: this very client, up to date.
  static QJsonObject defaultVersionReply(const QString &baseUrl);

private:
  const ServiceConfig &m_config;
};
