#pragma once
// A multipart/form-data body split into its parts: each part's name (from
// Content-Disposition), its Content-Type and its bytes, unchanged. Tolerant of what the
// classroom sends (a file part without a file name, a trailing ";" after the name), which
// the HTTP library's own parser drops.

#include <QByteArray>
#include <QList>

struct MultipartPart {
  QByteArray name;
  QByteArray contentType;
  QByteArray data;
};

namespace multipartbody {
// The boundary of a "multipart/form-data; boundary=..." content type; empty for other types.
QByteArray boundaryOf(const QByteArray &contentType);
// False when the body does not follow the boundary's framing up to its closing line.
bool parse(const QByteArray &body, const QByteArray &boundary, QList<MultipartPart> *parts);
} // namespace multipartbody
