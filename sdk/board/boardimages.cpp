#include "sdk/board/boardimages.h"

#include "sdk/board/boardthread.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace board {

BoardImages::BoardImages(BoardThread &thread, std::function<void()> arrived)
    : thread_(thread), arrived_(std::move(arrived)) {}

QImage BoardImages::image(const QString &url) {
  if (url.isEmpty())
    return QImage();
  QMutexLocker lock(&mutex_);
  auto it = entries_.find(url);
  if (it != entries_.end())
    return it->image;
  entries_.insert(url, Entry());
  thread_.post([this, url] { fetch(url); });
  return QImage();
}

bool BoardImages::isSettled(const QString &url) const {
  QMutexLocker lock(&mutex_);
  auto it = entries_.find(url);
  return it != entries_.end() && it->state != State::Loading;
}

void BoardImages::fetch(const QString &url) {
  QNetworkReply *reply = thread_.network()->get(QNetworkRequest(QUrl(url)));
  QObject::connect(reply, &QNetworkReply::finished, thread_.context(), [this, reply, url] {
    reply->deleteLater();
    const QImage image = reply->error() == QNetworkReply::NoError
                             ? QImage::fromData(reply->readAll())
                             : QImage();
    settle(url, image, reply->error() == QNetworkReply::NoError ? QStringLiteral("not an image")
                                                                 : reply->errorString());
  });
}

void BoardImages::settle(const QString &url, const QImage &image, const QString &error) {
  if (image.isNull())
    qWarning("TICSDK: background image %s failed: %s", qUtf8Printable(url), qUtf8Printable(error));
  {
    QMutexLocker lock(&mutex_);
    Entry &entry = entries_[url];
    entry.state = image.isNull() ? State::Failed : State::Ready;
    entry.image = image;
  }
  arrived_();
}

} // namespace board
