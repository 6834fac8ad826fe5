#include "net/networkhelper.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QTimer>
#include <QtDebug>

namespace {
int g_live = 0;
}

NetworkHelper::NetworkHelper(const QString &url, const QString &content, Callback callback,
                             void *userData, int timeoutMs)
    : manager(new QNetworkAccessManager(this)), timer(new QTimer(this)), url(url),
      content(content), callback(callback), userData(userData), timeoutMs(timeoutMs) {
  ++g_live;
  timer->setSingleShot(true);
  connect(manager, &QNetworkAccessManager::finished, this, &NetworkHelper::OnReplyFinished);
  connect(timer, &QTimer::timeout, this, &NetworkHelper::OnTimer);
}

NetworkHelper::~NetworkHelper() { --g_live; }

int NetworkHelper::liveCount() { return g_live; }

void NetworkHelper::get(const QString &url, Callback callback, void *userData, int timeoutMs) {
  (new NetworkHelper(url, QString(), callback, userData, timeoutMs))->sendGet();
}

void NetworkHelper::post(const QString &url, const QString &content, Callback callback,
                         void *userData, int timeoutMs) {
  (new NetworkHelper(url, content, callback, userData, timeoutMs))->sendPost();
}

QNetworkRequest NetworkHelper::makeRequest(const char *contentType) const {
  QNetworkRequest request{QUrl(url)};
  request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray(contentType));
  if (url.startsWith(QLatin1String("https")))
    request.setSslConfiguration(QSslConfiguration::defaultConfiguration());
  return request;
}

void NetworkHelper::sendGet() {
  reply = manager->get(makeRequest("application/octet-stream"));
  startTimer();
}

void NetworkHelper::sendPost() {
  reply = manager->post(makeRequest("application/x-www-form-urlencoded"), content.toUtf8());
  startTimer();
}

void NetworkHelper::startTimer() { timer->start(timeoutMs); }

void NetworkHelper::answer(int outcome, QByteArray body) {
  if (callback) callback(outcome, body, userData);
}

void NetworkHelper::OnReplyFinished(QNetworkReply *finished) {
  timer->stop();
  if (finished->error() == QNetworkReply::NoError) {
    answer(ReplyFinished, finished->readAll());
  } else {
    answer(NetworkError, QByteArray());
    qDebug("found error ....code: %d %d\n",
           finished->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
           int(finished->error()));
    qDebug().noquote() << finished->errorString();
  }
  finished->deleteLater();
  deleteLater();
}

void NetworkHelper::OnTimer() {
  timer->stop();
  if (callback) {
    qDebug().noquote() << QStringLiteral("系统异常，请稍后再试！");
    answer(TimedOut, QByteArray());
  }
  // Without this a reply that never comes would keep the request alive for good; the
  // aborted reply finishes through OnReplyFinished, which tidies up.
  if (reply) reply->abort();
}
