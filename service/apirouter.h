#pragma once
// Maps "<service>/<path>" to the handler that answers it. Filled once before the HTTP
// server starts; read-only (and so safe for the server's worker threads) afterwards.

#include "service/apireply.h"
#include "service/formparams.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <functional>

class ApiRouter {
public:
  using Handler = std::function<ApiReply(const FormParams &)>;

  void add(const QString &service, const QString &path, Handler handler);
  bool knowsService(const QString &service) const { return m_services.contains(service); }
  // Unknown paths answer UnknownApi; a handler that throws answers Internal.
  ApiReply dispatch(const QString &service, const QString &path, const FormParams &params) const;

private:
  QHash<QString, Handler> m_handlers;
  QSet<QString> m_services;
};
