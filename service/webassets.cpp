#include "service/webassets.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

bool WebAssets::isSafePath(const QString &relativePath) {
  if (relativePath.isEmpty() || relativePath.startsWith(QLatin1Char('/'))) return false;
  if (relativePath.contains(QLatin1Char('\\')) || relativePath.contains(QChar(0)) ||
      relativePath.contains(QLatin1Char(':')))
    return false;
  const QStringList segments = relativePath.split(QLatin1Char('/'));
  for (const QString &s : segments)
    if (s.isEmpty() || s == QLatin1String(".") || s == QLatin1String("..")) return false;
  return true;
}

std::optional<QByteArray> WebAssets::read(const QString &relativePath) const {
  if (!isSafePath(relativePath)) return std::nullopt;
  const QString path = m_root + QLatin1Char('/') + relativePath;
  if (!QFileInfo(path).isFile()) return std::nullopt;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
  return f.readAll();
}

qint64 WebAssets::size(const QString &relativePath) const {
  if (!isSafePath(relativePath)) return -1;
  const QFileInfo info(m_root + QLatin1Char('/') + relativePath);
  return info.isFile() ? info.size() : -1;
}

QByteArray WebAssets::contentType(const QString &path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  struct Type {
    const char *suffix;
    const char *type;
  };
  static const Type types[] = {
      {"html", "text/html; charset=utf-8"},     {"css", "text/css; charset=utf-8"},
      {"js", "application/javascript; charset=utf-8"}, {"json", "application/json; charset=utf-8"},
      {"svg", "image/svg+xml"},                  {"png", "image/png"},
      {"jpg", "image/jpeg"},                     {"jpeg", "image/jpeg"},
      {"gif", "image/gif"},                      {"ico", "image/x-icon"},
      {"txt", "text/plain; charset=utf-8"},      {"csv", "text/csv; charset=utf-8"},
      {"pdf", "application/pdf"},                {"woff2", "font/woff2"},
  };
  for (const Type &t : types)
    if (suffix == QLatin1String(t.suffix)) return t.type;
  return "application/octet-stream";
}
