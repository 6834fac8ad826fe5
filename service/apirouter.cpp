#include "service/apirouter.h"

#include <QDebug>

#include <exception>

void ApiRouter::add(const QString &service, const QString &path, Handler handler) {
  m_services.insert(service);
  m_handlers.insert(service + QLatin1Char('/') + path, std::move(handler));
}

ApiReply ApiRouter::dispatch(const QString &service, const QString &path,
                             const FormParams &params) const {
  const QString key = service + QLatin1Char('/') + path;
  const auto it = m_handlers.constFind(key);
  if (it == m_handlers.constEnd()) return ApiReply::error(ApiError::UnknownApi, key);
  try {
    return it.value()(params);
  } catch (const std::exception &e) {
    qWarning().noquote() << "api" << key << "failed:" << e.what();
    return ApiReply::error(ApiError::Internal);
  }
}
