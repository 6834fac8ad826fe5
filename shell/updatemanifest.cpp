#include "shell/updatemanifest.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QUrl>

#include <sodium.h>

namespace UpdateManifest {

namespace {

const char *const kPrefix = "tarnwick-update-v1";
constexpr int kMaxUrlLength = 2048;

QString text(const QVariantMap &data, const char *key) {
  const QVariant v = data.value(QLatin1String(key));
  return v.type() == QVariant::String ? v.toString() : QString();
}

bool isLoopback(const QString &host) {
  if (host == QLatin1String("localhost")) return true;
  const QHostAddress address(host);
  return !address.isNull() && address.isLoopback();
}

} // namespace

QByteArray signedText(const Manifest &m) {
  return QByteArray(kPrefix) + '\n' + m.version.toUtf8() + '\n' + m.url.toUtf8() + '\n' + m.sha256.toLatin1();
}

bool parse(const QVariantMap &data, Manifest *out, QString *why) {
  static const QRegularExpression hex64(QStringLiteral("\\A[0-9a-f]{64}\\z"));
  Manifest m;
  m.version = text(data, "version");
  m.url = text(data, "url");
  m.sha256 = text(data, "sha256");
  const QByteArray signature = text(data, "signature").toLatin1();
  m.signature = QByteArray::fromBase64(signature, QByteArray::AbortOnBase64DecodingErrors);
  if (m.version.isEmpty() || m.url.isEmpty() || m.url.size() > kMaxUrlLength || m.version.contains(QLatin1Char('\n')) ||
      m.url.contains(QLatin1Char('\n'))) {
    *why = QStringLiteral("更新信息不完整");
    return false;
  }
  if (!hex64.match(m.sha256).hasMatch()) {
    *why = QStringLiteral("更新文件的校验值无效");
    return false;
  }
  if (m.signature.size() != int(crypto_sign_BYTES)) {
    *why = QStringLiteral("更新信息缺少有效签名");
    return false;
  }
  *out = m;
  return true;
}

bool allowedAddress(const QString &url, const QString &backendUrl) {
  const QUrl address(url, QUrl::StrictMode);
  if (!address.isValid() || address.host().isEmpty() || !address.userInfo().isEmpty()) return false;
  if (address.scheme() == QLatin1String("https")) return true;
  const QUrl local(backendUrl);
  return address.scheme() == QLatin1String("http") && isLoopback(address.host()) && local.scheme() == address.scheme() &&
         local.host() == address.host() && local.port(80) == address.port(80);
}

QString check(const QVariantMap &data, const QString &publicKeyBase64, const QString &backendUrl, Manifest *out) {
  if (sodium_init() < 0) return QStringLiteral("无法校验更新信息");
  const QByteArray key = QByteArray::fromBase64(publicKeyBase64.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
  if (key.size() != int(crypto_sign_PUBLICKEYBYTES)) return QStringLiteral("本机未配置更新签名公钥");
  Manifest m;
  QString why;
  if (!parse(data, &m, &why)) return why;
  const QByteArray message = signedText(m);
  if (crypto_sign_verify_detached(reinterpret_cast<const unsigned char *>(m.signature.constData()),
                                  reinterpret_cast<const unsigned char *>(message.constData()),
                                  static_cast<unsigned long long>(message.size()),
                                  reinterpret_cast<const unsigned char *>(key.constData())) != 0)
    return QStringLiteral("更新信息签名无效");
  if (!allowedAddress(m.url, backendUrl)) return QStringLiteral("更新地址不安全（须为https地址）");
  *out = m;
  return QString();
}

} // namespace UpdateManifest
