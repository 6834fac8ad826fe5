#include "sdk/board/boardimages.h"

#include "sdk/board/boardthread.h"

#include <QBuffer>
#include <QDebug>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrl>

namespace board {

namespace {

QMutex g_originsMutex;
QStringList g_origins;

QString originOf(const QUrl &url) {
  return url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo)
      .toString(QUrl::FullyEncoded)
      .toLower();
}

// The image in bytes, when its header gives a size within the pixel cap.
QImage decode(const QByteArray &bytes, QString *error) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  const QSize size = reader.size();
  if (!size.isValid() || qint64(size.width()) * size.height() > BoardImages::kMaxPixels) {
    *error = QStringLiteral("not an image, or over %1 pixels").arg(BoardImages::kMaxPixels);
    return QImage();
  }
  QImage image = reader.read();
  if (image.isNull())
    *error = reader.errorString();
  return image;
}

} // namespace

void BoardImages::setAllowedOrigins(const QStringList &origins) {
  QStringList normal;
  for (const QString &o : origins) {
    const QUrl url(o);
    if (url.isValid() && !url.host().isEmpty())
      normal << originOf(url);
  }
  QMutexLocker lock(&g_originsMutex);
  g_origins = normal;
}

bool BoardImages::isAllowed(const QUrl &url) {
  if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) ||
      !url.userInfo().isEmpty())
    return false;
  QMutexLocker lock(&g_originsMutex);
  return g_origins.contains(originOf(url));
}

BoardImages::BoardImages(BoardThread &thread, std::function<void()> arrived)
    : thread_(thread), arrived_(std::move(arrived)) {}

QImage BoardImages::image(const QString &url) {
  if (url.isEmpty())
    return QImage();
  QMutexLocker lock(&mutex_);
  auto it = entries_.find(url);
  if (it != entries_.end()) {
    touch(url);
    return it->image;
  }
  entries_.insert(url, Entry());
  order_.append(url);
  evict();
  thread_.post([this, url] { fetch(url); });
  return QImage();
}

bool BoardImages::isSettled(const QString &url) const {
  QMutexLocker lock(&mutex_);
  auto it = entries_.find(url);
  return it != entries_.end() && it->state != State::Loading;
}

int BoardImages::cachedCount() const {
  QMutexLocker lock(&mutex_);
  return entries_.size();
}

void BoardImages::touch(const QString &url) {
  if (order_.last() != url) {
    order_.removeOne(url);
    order_.append(url);
  }
}

// Settled entries go, oldest first, until both bounds hold; downloads under way stay.
void BoardImages::evict() {
  for (int i = 0; i < order_.size() && (entries_.size() > kMaxEntries || cacheBytes_ > kMaxCacheBytes);) {
    auto it = entries_.find(order_.at(i));
    if (it->state == State::Loading) {
      ++i;
      continue;
    }
    cacheBytes_ -= it->image.sizeInBytes();
    entries_.erase(it);
    order_.removeAt(i);
  }
}

void BoardImages::fetch(const QString &url) {
  const QUrl address(url);
  if (!isAllowed(address)) {
    settle(url, QImage(), QStringLiteral("not from the document previews or the storage"));
    return;
  }
  QNetworkRequest request(address);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
  QNetworkReply *reply = thread_.network()->get(request);
  QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64 total) {
    if (received > kMaxBytes || total > kMaxBytes)
      reply->abort();
  });
  QObject::connect(reply, &QNetworkReply::finished, thread_.context(), [this, reply, url] {
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    QString error = reply->errorString();
    QImage image;
    // The whole body can arrive before the progress check gets to abort it.
    const QByteArray body = reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray();
    if (body.size() > kMaxBytes)
      error = QStringLiteral("over %1 bytes").arg(kMaxBytes);
    else if (reply->error() == QNetworkReply::NoError && status == 200)
      image = decode(body, &error);
    else if (reply->error() == QNetworkReply::OperationCanceledError)
      error = QStringLiteral("over %1 bytes").arg(kMaxBytes);
    settle(url, image, error);
  });
}

void BoardImages::settle(const QString &url, const QImage &image, const QString &error) {
  if (image.isNull())
    qWarning("TICSDK: background image %s failed: %s", qUtf8Printable(url), qUtf8Printable(error));
  {
    QMutexLocker lock(&mutex_);
    auto it = entries_.find(url);
    if (it == entries_.end())
      return; // evicted meanwhile
    it->state = image.isNull() ? State::Failed : State::Ready;
    it->image = image;
    cacheBytes_ += image.sizeInBytes();
    evict();
  }
  arrived_();
}

} // namespace board
