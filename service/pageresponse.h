#pragma once
// One answer of the page side, independent of the HTTP library.

#include <QByteArray>
#include <QList>
#include <QPair>

struct PageResponse {
  int status = 200;
  QByteArray contentType;
  QByteArray body;
  QList<QPair<QByteArray, QByteArray>> headers;
};
