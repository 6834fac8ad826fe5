#pragma once
// Background images of document pages, fetched from their URLs on the library's thread and
// kept for the life of the library. A page whose image failed shows without one.

#include <QHash>
#include <QImage>
#include <QMutex>
#include <QString>

#include <functional>

namespace board {

class BoardThread;

class BoardImages {
public:
  // arrived runs on the library's thread whenever an image has come (or failed).
  BoardImages(BoardThread &thread, std::function<void()> arrived);

  // Any thread. The image when it is here; otherwise a null image, and the first ask starts
  // the download.
  QImage image(const QString &url);
  bool isSettled(const QString &url) const; // arrived or failed

private:
  enum class State { Loading, Ready, Failed };
  struct Entry {
    State state = State::Loading;
    QImage image;
  };
  void fetch(const QString &url);
  void settle(const QString &url, const QImage &image, const QString &error);

  BoardThread &thread_;
  std::function<void()> arrived_;
  mutable QMutex mutex_;
  QHash<QString, Entry> entries_;
};

} // namespace board
