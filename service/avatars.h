#pragma once
// Generated avatar pictures (a person on a coloured disc), one per account, painted once at
// start-up and handed to pages as Base64 PNG data. Read-only after construction.

#include "service/servicerecords.h"

#include <QByteArray>
#include <QHash>
#include <QString>

class Avatars {
public:
  static constexpr int Size = 128;

  explicit Avatars(const QList<Account> &accounts);
  // Base64 PNG of the account's avatar; a neutral one for an unknown id.
  QString base64(const QString &userId) const;

  static QByteArray paintPng(const QString &color, int size = Size);

private:
  QHash<QString, QString> m_pictures;
  QString m_fallback;
};
