#pragma once
// The cloud store of chat pictures. A signed multipart upload lands at
// /files/v2/<account>/<bucket>/chatPicture/<day>/<name> under the store's folder and is served
// back at the same address. Paths are checked segment by segment, so nothing is written or
// read outside the folder; a later upload to the same address replaces the picture.

#include "service/apireply.h"
#include "service/pageresponse.h"

#include <QMutex>
#include <QString>

#include <functional>

class CredentialIssuer;
struct ServiceConfig;

class PictureStore {
public:
  static constexpr qint64 MaxPictureBytes = 10 * 1024 * 1024;

  PictureStore(const QString &folder, const CredentialIssuer &credentials, const ServiceConfig &config)
      : m_folder(folder), m_credentials(credentials), m_config(config) {}

  // path: the request path below the store's prefix, "/files/v2/...". The answer's data
  // holds "access_url", where GET serves the picture.
  // Whether a user sits in a class room now; uploads come only from such members (the chat
  // is the room's). Without it nobody uploads.
  using MemberCheck = std::function<bool(const QString &userId)>;
  void setMemberCheck(MemberCheck check) { m_isMember = std::move(check); }
  ApiReply upload(const QString &path, const QByteArray &authorization, const QByteArray &contentType,
                  const QByteArray &body) const;
  PageResponse download(const QString &path) const;

  // The store's address prefix on the service: <base url> + this + path.
  static QString prefix() { return QStringLiteral("/storage"); }

private:
  static ApiReply checkPicture(const QByteArray &contentType, const QByteArray &body, QByteArray *bytes);
  QString fileFor(const QString &path) const; // empty when the path is not a picture address

  QString m_folder;
  const CredentialIssuer &m_credentials;
  const ServiceConfig &m_config;
  MemberCheck m_isMember;
  mutable QMutex m_writing;
};
