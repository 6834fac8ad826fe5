#include "classroom/chatpictureupload.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUuid>

namespace {
const QString kPathTemplate = QStringLiteral("/files/v2/%1/public/chatPicture/%2/%3_%4%5");
const QString kExtension = QStringLiteral(".png");
const QString kSignatureKey = QStringLiteral("signature");
const QString kExpiredKey = QStringLiteral("expired");
} // namespace

ChatPictureUpload::ChatPictureUpload(QObject *parent)
    : QObject(parent), clock_([] { return QDateTime::currentDateTime(); }) {}

ChatPictureUpload::~ChatPictureUpload() { delete manager_; }

void ChatPictureUpload::setUser(const QString &userId, const QString &userName) {
  userId_ = userId;
  userName_ = userName;
}

void ChatPictureUpload::setStorage(const QString &storageUrl, const QString &account) {
  storageUrl_ = storageUrl;
  account_ = account;
}

bool ChatPictureUpload::signatureDue() const {
  if (leaving_) return false;
  const qint64 now = clock_().toSecsSinceEpoch();
  return signature_.isEmpty() || now > qint64(signatureExpiry_) - kRenewalMarginS;
}

void ChatPictureUpload::onSignatureReply(const QVariantMap &data) {
  if (leaving_ || !data.contains(kSignatureKey)) return;
  signature_ = data.value(kSignatureKey).toString();
  signatureExpiry_ = data.value(kExpiredKey).toInt();
}

QString ChatPictureUpload::nextObjectPath() {
  const QDateTime now = clock_();
  const QString day = now.date().toString(Qt::ISODate);
  const QString second = QString::number(now.toSecsSinceEpoch());
  QString stem = second;
  for (int n = 1; usedNames_.contains(day + userId_ + stem); ++n) stem = second + QLatin1Char('-') + QString::number(n);
  usedNames_.insert(day + userId_ + stem);
  return kPathTemplate.arg(account_, day, userId_, stem, kExtension);
}

QByteArray ChatPictureUpload::newBoundary() {
  QString id = QUuid::createUuid().toString();
  id.remove(QLatin1Char('{')).remove(QLatin1Char('}')).remove(QLatin1Char('-'));
  return "----" + id.toLatin1();
}

QByteArray ChatPictureUpload::multipartBody(const QByteArray &boundary, const QByteArray &png) {
  const QString start = QStringLiteral("--") + QString::fromLatin1(boundary);
  const QString end = QStringLiteral("\r\n--") + QString::fromLatin1(boundary) + QStringLiteral("--\r\n");
  const QString head = start + QStringLiteral("\r\nContent-Disposition: form-data; name=\"op\"\r\n") +
                       QStringLiteral("\r\nupload\r\n") + start +
                       QStringLiteral("\r\nContent-Disposition: form-data; name=\"filecontent\";\r\n") +
                       QStringLiteral("Content-Type: image/png\r\n\r\n");
  return head.toLatin1() + png + end.toLatin1();
}

QVariantMap ChatPictureUpload::pictureMessage(const QString &userName, const QString &url) {
  return {{QStringLiteral("name"), userName}, {QStringLiteral("type"), QStringLiteral("image")},
          {QStringLiteral("url"), url}};
}

QNetworkAccessManager *ChatPictureUpload::manager() {
  if (!manager_) {
    manager_ = new QNetworkAccessManager; // no parent: this object owns it
    connect(manager_, &QNetworkAccessManager::finished, this, &ChatPictureUpload::onUploadPictureSucc);
  }
  return manager_;
}

void ChatPictureUpload::uploadPicture(QByteArray fileContent) {
  const QUrl url(storageUrl_ + nextObjectPath(), QUrl::TolerantMode);
  const QByteArray boundary = newBoundary();
  QNetworkRequest request(url);
  request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("multipart/form-data; boundary=") + boundary);
  // The picture goes even before the first signature has arrived; the header is then empty
  // (Qt leaves it out altogether) and the store refuses the picture.
  request.setRawHeader("Authorization", signature_.toLocal8Bit());
  manager()->post(request, multipartBody(boundary, fileContent));
}

QString ChatPictureUpload::accessUrlOf(const QByteArray &answer) {
  const QVariantMap map = QJsonDocument::fromJson(answer).object().toVariantMap();
  return map.value(QStringLiteral("data")).toMap().value(QStringLiteral("access_url")).toString();
}

void ChatPictureUpload::onUploadPictureSucc(QNetworkReply *reply) {
  if (reply->error() != QNetworkReply::NoError) {
    qDebug("found error ....code: %d %d\n", reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
           int(reply->error()));
    qDebug() << reply->errorString();
    reply->deleteLater();
    return;
  }
  const QVariantMap message = pictureMessage(userName_, accessUrlOf(reply->readAll()));
  emit pictureMessageReady(QString::fromUtf8(QJsonDocument(QJsonObject::fromVariantMap(message)).toJson()));
  emit showMessageMap(message);
  reply->deleteLater();
}
