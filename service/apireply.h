#pragma once
// One answer of the backend API: the envelope {"errorCode", "errorInfo", "data"} and the
// HTTP status it travels with.

#include "service/apierror.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

class ApiReply {
public:
  static ApiReply ok(const QJsonObject &data = QJsonObject());
  static ApiReply error(ApiError e, const QString &detail = QString());
  // An envelope exactly as given (a configured reply may carry any code).
  static ApiReply raw(int errorCode, const QString &errorInfo, const QJsonObject &data);
  static ApiReply missing(const QString &parameter) { return error(ApiError::MissingParameter, parameter); }
  static ApiReply badParameter(const QString &parameter) { return error(ApiError::BadParameter, parameter); }

  // The same answer travelling with another HTTP status (the picture store's refusals).
  ApiReply withHttpStatus(int status) const {
    ApiReply r = *this;
    r.m_httpStatus = status;
    return r;
  }

  int errorCode() const { return m_errorCode; }
  const QString &errorInfo() const { return m_errorInfo; }
  const QJsonObject &data() const { return m_data; }
  // Unknown paths go out as HTTP 404 (with the envelope as body), everything else as 200.
  int httpStatus() const { return m_httpStatus; }

  QByteArray toJson() const;

private:
  int m_errorCode = 0;
  QString m_errorInfo;
  QJsonObject m_data;
  int m_httpStatus = 200;
};
