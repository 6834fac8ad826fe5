#include "service/picturestore.h"

#include "service/credentialissuer.h"
#include "service/multipartbody.h"
#include "service/serviceconfig.h"

#include <QDir>
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
  QByteArray bytes;
  const ApiReply refused = checkPicture(contentType, body, &bytes);
  if (refused.errorCode() != 0) return refused;

  const QString file = fileFor(path);
  QMutexLocker lock(&m_writing);
  QSaveFile out(file);
  if (!QDir().mkpath(QFileInfo(file).path()) || !out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() ||
      !out.commit())
    return ApiReply::error(ApiError::Internal);
  QJsonObject data;
  data.insert(QStringLiteral("access_url"), m_config.baseUrl + prefix() + path);
  return ApiReply::ok(data);
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

PageResponse PictureStore::download(const QString &path) const {
  PageResponse page;
  const QString file = fileFor(path);
  QFile in(file);
  if (file.isEmpty() || !in.open(QIODevice::ReadOnly)) {
    page.status = kNotFound;
    page.contentType = "text/plain; charset=utf-8";
    page.body = "not found";
    return page;
  }
  page.contentType = typeOfFile(file);
  page.body = in.readAll();
  return page;
}
