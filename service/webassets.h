#pragma once
// The files under web/: compiled into the program (root ":/web") or, for editing pages
// without rebuilding, read from a folder given with --web-root.

#include <QByteArray>
#include <QString>

#include <optional>

class WebAssets {
public:
  explicit WebAssets(QString root) : m_root(std::move(root)) {}

  const QString &root() const { return m_root; }
  // The file at a path relative to the root ("portal/live.html"); nothing for a path that
  // leaves the root, names a folder or does not exist.
  std::optional<QByteArray> read(const QString &relativePath) const;
  qint64 size(const QString &relativePath) const; // -1 when read() would fail
  static bool isSafePath(const QString &relativePath);
  static QByteArray contentType(const QString &path);

private:
  QString m_root;
};
