#include "service/multipartbody.h"

#include <QRegularExpression>

namespace multipartbody {

namespace {

const QByteArray kCrlf = "\r\n";
const QByteArray kHeaderEnd = "\r\n\r\n";
const QByteArray kBoundaryKey = "boundary=";

QByteArray headerValue(const QList<QByteArray> &lines, const QByteArray &name) {
  for (const QByteArray &line : lines) {
    const int colon = line.indexOf(':');
    if (colon > 0 && line.left(colon).trimmed().toLower() == name) return line.mid(colon + 1).trimmed();
  }
  return QByteArray();
}

QByteArray dispositionName(const QByteArray &disposition) {
  static const QRegularExpression name(QStringLiteral("(?:^|;)\\s*name=\"([^\"]*)\""));
  const auto m = name.match(QString::fromLatin1(disposition));
  return m.hasMatch() ? m.captured(1).toLatin1() : QByteArray();
}

MultipartPart partOf(const QByteArray &headers, const QByteArray &data) {
  const QList<QByteArray> lines = headers.split('\n');
  return MultipartPart{dispositionName(headerValue(lines, "content-disposition")), headerValue(lines, "content-type"),
                       data};
}

} // namespace

QByteArray boundaryOf(const QByteArray &contentType) {
  const QList<QByteArray> fields = contentType.split(';');
  if (fields.first().trimmed().toLower() != "multipart/form-data") return QByteArray();
  for (const QByteArray &f : fields) {
    const QByteArray field = f.trimmed();
    if (!field.toLower().startsWith(kBoundaryKey)) continue;
    QByteArray b = field.mid(kBoundaryKey.size());
    if (b.size() >= 2 && b.startsWith('"') && b.endsWith('"')) b = b.mid(1, b.size() - 2);
    return b;
  }
  return QByteArray();
}

bool parse(const QByteArray &body, const QByteArray &boundary, QList<MultipartPart> *parts) {
  if (boundary.isEmpty()) return false;
  const QByteArray delimiter = "--" + boundary;
  if (!body.startsWith(delimiter)) return false;
  int at = delimiter.size();
  for (;;) {
    if (body.mid(at, 2) == "--") return true; // the closing delimiter
    if (body.mid(at, 2) != kCrlf) return false;
    const int headersEnd = body.indexOf(kHeaderEnd, at);
    if (headersEnd < 0) return false;
    const int dataStart = headersEnd + kHeaderEnd.size();
    const int next = body.indexOf(kCrlf + delimiter, dataStart);
    if (next < 0) return false;
    parts->append(partOf(body.mid(at + kCrlf.size(), headersEnd - at - kCrlf.size()), body.mid(dataStart, next - dataStart)));
    at = next + kCrlf.size() + delimiter.size();
  }
}

} // namespace multipartbody
