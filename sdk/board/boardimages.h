#pragma once
// Background images of document pages, fetched from their URLs on the library's thread. Only
// addresses on the origins the program names (the document previews and the storage) are
// fetched, without following redirects; an image over kMaxBytes or kMaxPixels is refused, and
// the cache keeps at most kMaxEntries images and kMaxCacheBytes of pixels, the least recently
// asked for going first. A page whose image failed or was refused shows without one.

#include <QHash>
#include <QImage>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <functional>

class QUrl;

namespace board {

class BoardThread;

class BoardImages {
public:
  static constexpr qint64 kMaxBytes = 16 << 20;
  static constexpr qint64 kMaxPixels = 4096 * 4096;
  static constexpr int kMaxEntries = 64;
  static constexpr qint64 kMaxCacheBytes = 256 << 20;

  // Process-wide: "scheme://host[:port]" of every origin images may come from. None: no image
  // is fetched.
  static void setAllowedOrigins(const QStringList &origins);
  static bool isAllowed(const QUrl &url);

  // arrived runs on the library's thread whenever an image has come (or failed).
  BoardImages(BoardThread &thread, std::function<void()> arrived);

  // Any thread. The image when it is here; otherwise a null image, and the first ask starts
  // the download.
  QImage image(const QString &url);
  bool isSettled(const QString &url) const; // arrived or failed
  int cachedCount() const;

private:
  enum class State { Loading, Ready, Failed };
  struct Entry {
    State state = State::Loading;
    QImage image;
  };
  void fetch(const QString &url);
  void settle(const QString &url, const QImage &image, const QString &error);
  void touch(const QString &url);
  void evict();

  BoardThread &thread_;
  std::function<void()> arrived_;
  mutable QMutex mutex_;
  QHash<QString, Entry> entries_;
  QList<QString> order_; // least recently asked for first
  qint64 cacheBytes_ = 0;
};

} // namespace board
