#include "service/signer.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>

QString Signer::sign(const QStringList &parts) const {
  const QByteArray message = parts.join(QLatin1Char('\n')).toUtf8();
  return QString::fromLatin1(
      QMessageAuthenticationCode::hash(message, m_secret, QCryptographicHash::Sha256).toHex());
}

bool Signer::verify(const QStringList &parts, const QString &signature) const {
  const QByteArray expected = sign(parts).toLatin1();
  const QByteArray given = signature.toLatin1();
  if (expected.size() != given.size()) return false;
  // Constant time, so a caller cannot learn the signature byte by byte.
  unsigned char diff = 0;
  for (int i = 0; i < expected.size(); ++i) diff |= uchar(expected.at(i) ^ given.at(i));
  return diff == 0;
}

QByteArray Signer::randomSecret() {
  quint32 words[8];
  QRandomGenerator::system()->fillRange(words);
  return QByteArray(reinterpret_cast<const char *>(words), sizeof(words)).toHex();
}
