#pragma once
// The cloud store of chat pictures. A signed multipart upload lands at
// /files/v2/<account>/<bucket>/chatPicture/<day>/<uploader>_<name> under the store's folder
// and is served back at the same address with a time-limited read grant. Paths are checked
// segment by segment, so nothing is written or read outside the folder. A picture is bound to
// its uploader (the name starts with the signature's user id, the account is the
// deployment's), is never replaced (409), and lands only in a real day next to today.

#include "service/apireply.h"
#include "service/pageresponse.h"

#include <QMutex>
#include <QString>

#include <functional>
#include <optional>

class CredentialIssuer;
struct ServiceConfig;

class PictureStore {
public:
  static constexpr qint64 MaxPictureBytes = 10 * 1024 * 1024;
  // Each uploader's share of one day folder.
  static constexpr int MaxPicturesPerDay = 100;
  static constexpr qint64 MaxBytesPerDay = 64 * 1024 * 1024;
  // How long the address of an upload's answer reads the picture: a class day.
  static constexpr qint64 ReadLifetimeS = 12 * 3600;

  PictureStore(const QString &folder, const CredentialIssuer &credentials, const ServiceConfig &config)
      : m_folder(folder), m_credentials(credentials), m_config(config) {}

  // path: the request path below the store's prefix, "/files/v2/...". The answer's data
  // holds "access_url", the signed address where GET serves the picture.
  // Whether a user sits in a class room now; uploads come only from such members (the chat
  // is the room's). Without it nobody uploads.
  using MemberCheck = std::function<bool(const QString &userId)>;
  void setMemberCheck(MemberCheck check) { m_isMember = std::move(check); }
  ApiReply upload(const QString &path, const QByteArray &authorization, const QByteArray &contentType,
                  const QByteArray &body) const;
  // query: the address's query, the read grant (403 without a good one).
  PageResponse download(const QString &path, const QByteArray &query) const;

  // The store's address prefix on the service: <base url> + this + path.
  static QString prefix() { return QStringLiteral("/storage"); }

private:
  std::optional<ApiReply> checkPlace(const QString &account, const QString &day, const QString &name,
                                     const QString &uploader) const;
  // Whether one more picture of `bytes` keeps the uploader within the day folder's share.
  static bool withinQuota(const QString &dayFolder, const QString &uploader, qint64 bytes);
  static ApiReply checkPicture(const QByteArray &contentType, const QByteArray &body, QByteArray *bytes);
  QString fileFor(const QString &path) const; // empty when the path is not a picture address

  QString m_folder;
  const CredentialIssuer &m_credentials;
  const ServiceConfig &m_config;
  MemberCheck m_isMember;
  mutable QMutex m_writing;
};
