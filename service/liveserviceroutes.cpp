#include "service/liveserviceroutes.h"

#include "service/serviceconfig.h"

void LiveServiceRoutes::registerRoutes(ApiRouter &router) {
  const QString service = QStringLiteral("live-service");
  router.add(service, QStringLiteral("version"), [this](const FormParams &p) { return version(p); });
  router.add(service, QStringLiteral("customer_service_url"),
             [this](const FormParams &p) { return customerServiceUrl(p); });
}

QJsonObject LiveServiceRoutes::defaultVersionReply(const QString &baseUrl) {
  QJsonObject data;
  data.insert(QStringLiteral("version"), QStringLiteral("3.7.5"));
  data.insert(QStringLiteral("url"), baseUrl + QStringLiteral("/client/quorvel-3.7.5.tar.gz"));
  data.insert(QStringLiteral("force"), false);
  return data;
}

ApiReply LiveServiceRoutes::version(const FormParams &p) const {
  const QString online = p.value(QStringLiteral("online"));
  if (online.isEmpty()) return ApiReply::missing(QStringLiteral("online"));
  if (online != QLatin1String("0") && online != QLatin1String("1"))
    return ApiReply::badParameter(QStringLiteral("online"));
  const QJsonObject &reply = m_config.versionReply;
  if (reply.contains(QStringLiteral("errorCode")))
    return ApiReply::raw(reply.value(QStringLiteral("errorCode")).toInt(),
                         reply.value(QStringLiteral("errorInfo")).toString(),
                         reply.value(QStringLiteral("data")).toObject());
  return ApiReply::ok(reply.isEmpty() ? defaultVersionReply(m_config.baseUrl) : reply);
}

ApiReply LiveServiceRoutes::customerServiceUrl(const FormParams &) const {
  QJsonObject data;
  data.insert(QStringLiteral("customer_service_url"), m_config.baseUrl + QStringLiteral("/support"));
  return ApiReply::ok(data);
}
