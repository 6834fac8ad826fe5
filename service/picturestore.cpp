#include "service/picturestore.h"

#include "service/apierror.h"
#include "service/credentialissuer.h"
#include "service/multipartbody.h"
#include "service/serviceconfig.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFile>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

constexpr int kBadRequest = 400;
constexpr int kUnauthorized = 401;
constexpr int kForbidden = 403;
constexpr int kNotFound = 404;
constexpr int kConflict = 409;
constexpr int kTooMany = 429;
constexpr int kTooLarge = 413;
constexpr int kUnsupported = 415;
const QByteArray kPngMagic("\x89PNG\r\n\x1a\n", 8);
const QByteArray kJpegMagic("\xFF\xD8\xFF", 3);

// Every segment is spelled out: no "..", no slashes inside a name, no other folders.
const QRegularExpression &addressPattern() {
  static const QRegularExpression re(QStringLiteral(
      "^/files/v2/([A-Za-z0-9_-]{1,64})/([a-z]{1,32})/chatPicture/(\\d{4}-\\d{2}-\\d{2})/"
      "([A-Za-z0-9_-]{1,128}\\.(?:png|jpg|jpeg))$"));
  return re;
}

ApiReply refuse(ApiError e, int status, const QString &detail = QString()) {
  return ApiReply::error(e, detail).withHttpStatus(status);
}

bool isPicture(const QByteArray &bytes) { return bytes.startsWith(kPngMagic) || bytes.startsWith(kJpegMagic); }

QByteArray typeOfFile(const QString &file) {
  return file.endsWith(QLatin1String(".png")) ? QByteArrayLiteral("image/png") : QByteArrayLiteral("image/jpeg");
}

} // namespace

QString PictureStore::fileFor(const QString &path) const {
  const auto m = addressPattern().match(path);
  if (!m.hasMatch()) return QString();
  return QDir(m_folder).filePath(path.mid(1)); // the pattern keeps it inside the folder
}

ApiReply PictureStore::upload(const QString &path, const QByteArray &authorization, const QByteArray &contentType,
                              const QByteArray &body) const {
  const auto m = addressPattern().match(path);
  if (!m.hasMatch()) return refuse(ApiError::BadStoragePath, kBadRequest, path);
  if (authorization.isEmpty()) return refuse(ApiError::NoUploadSignature, kUnauthorized);
  QString uploader;
  if (!m_credentials.checkUploadSignature(QString::fromLatin1(authorization), m.captured(2), &uploader))
    return refuse(ApiError::BadUploadSignature, kForbidden);
  if (!m_isMember || !m_isMember(uploader)) return refuse(ApiError::NotInRoom, kForbidden);
  if (auto refused = checkPlace(m.captured(1), m.captured(3), m.captured(4), uploader)) return *refused;
  QByteArray bytes;
  const ApiReply refused = checkPicture(contentType, body, &bytes);
  if (refused.errorCode() != 0) return refused;

  const QString file = fileFor(path);
  const QString folder = QFileInfo(file).path();
  QMutexLocker lock(&m_writing);
  if (QFileInfo::exists(file)) return refuse(ApiError::PictureExists, kConflict);
  if (!withinQuota(folder, uploader, bytes.size())) return refuse(ApiError::PictureQuotaFull, kTooMany);
  QSaveFile out(file);
  if (!QDir().mkpath(folder) || !out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
    return ApiReply::error(ApiError::Internal);
  const QString query = m_credentials.pictureReadQuery(path, m_credentials.nowSeconds() + ReadLifetimeS);
  QJsonObject data;
  data.insert(QStringLiteral("access_url"), m_config.baseUrl + prefix() + path + QLatin1Char('?') + query);
  return ApiReply::ok(data);
}

std::optional<ApiReply> PictureStore::checkPlace(const QString &account, const QString &day, const QString &name,
                                                 const QString &uploader) const {
  if (account != m_config.storageAccount) return refuse(ApiError::BadStoragePath, kForbidden, account);
  if (!name.startsWith(uploader + QLatin1Char('_'))) return refuse(ApiError::BadStoragePath, kForbidden, name);
  // A real day, and no further from today (UTC) than the clocks of the world differ.
  const QDate date = QDate::fromString(day, Qt::ISODate);
  const QDate today = QDateTime::fromSecsSinceEpoch(m_credentials.nowSeconds(), Qt::UTC).date();
  if (!date.isValid() || qAbs(date.daysTo(today)) > 1) return refuse(ApiError::BadStoragePath, kBadRequest, day);
  return std::nullopt;
}

bool PictureStore::withinQuota(const QString &dayFolder, const QString &uploader, qint64 bytes) {
  int pictures = 0;
  qint64 total = bytes;
  const QStringList mine{uploader + QStringLiteral("_*")};
  for (QDirIterator it(dayFolder, mine, QDir::Files); it.hasNext();) {
    it.next();
    ++pictures;
    total += it.fileInfo().size();
  }
  return pictures < MaxPicturesPerDay && total <= MaxBytesPerDay;
}

ApiReply PictureStore::checkPicture(const QByteArray &contentType, const QByteArray &body, QByteArray *bytes) {
  QList<MultipartPart> parts;
  if (!multipartbody::parse(body, multipartbody::boundaryOf(contentType), &parts))
    return refuse(ApiError::BadUpload, kBadRequest, QStringLiteral("multipart/form-data"));
  const MultipartPart *file = nullptr;
  bool opUpload = false;
  for (const MultipartPart &part : parts) {
    if (part.name == "op") opUpload = part.data == "upload";
    if (part.name == "filecontent") file = &part;
  }
  if (!opUpload) return refuse(ApiError::BadUpload, kBadRequest, QStringLiteral("op"));
  if (!file) return refuse(ApiError::BadUpload, kBadRequest, QStringLiteral("filecontent"));
  if (file->data.size() > MaxPictureBytes) return refuse(ApiError::PictureTooLarge, kTooLarge, QStringLiteral("10MB"));
  const bool declaredImage = file->contentType == "image/png" || file->contentType == "image/jpeg";
  if (!declaredImage || !isPicture(file->data)) return refuse(ApiError::NotAnImage, kUnsupported);
  *bytes = file->data;
  return ApiReply::ok();
}

PageResponse PictureStore::download(const QString &path, const QByteArray &query) const {
  PageResponse page;
  page.contentType = "text/plain; charset=utf-8";
  const QString file = fileFor(path);
  if (!file.isEmpty() && !m_credentials.checkPictureRead(path, query)) {
    page.status = kForbidden;
    page.body = apierror::text(ApiError::BadPictureAddress).toUtf8();
    return page;
  }
  QFile in(file);
  if (file.isEmpty() || !in.open(QIODevice::ReadOnly)) {
    page.status = kNotFound;
    page.body = "not found";
    return page;
  }
  page.contentType = typeOfFile(file);
  page.body = in.readAll();
  return page;
}
