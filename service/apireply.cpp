#include "service/apireply.h"

#include <QJsonDocument>

ApiReply ApiReply::ok(const QJsonObject &data) {
  ApiReply r;
  r.m_data = data;
  return r;
}

ApiReply ApiReply::error(ApiError e, const QString &detail) {
  ApiReply r;
  r.m_errorCode = apierror::code(e);
  r.m_errorInfo = apierror::text(e, detail);
  if (e == ApiError::UnknownApi)
    r.m_httpStatus = 404;
  else if (e == ApiError::Internal)
    r.m_httpStatus = 500;
  return r;
}

ApiReply ApiReply::raw(int errorCode, const QString &errorInfo, const QJsonObject &data) {
  ApiReply r;
  r.m_errorCode = errorCode;
  r.m_errorInfo = errorInfo;
  r.m_data = data;
  return r;
}

QByteArray ApiReply::toJson() const {
  QJsonObject envelope;
  envelope.insert(QStringLiteral("errorCode"), m_errorCode);
  envelope.insert(QStringLiteral("errorInfo"), m_errorInfo);
  envelope.insert(QStringLiteral("data"), m_data);
  return QJsonDocument(envelope).toJson(QJsonDocument::Compact);
}
