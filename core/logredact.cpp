#include "core/logredact.h"

#include <QRegularExpression>

namespace logredact {

namespace {

// Key words whose value is a secret; the key may carry a prefix ("access_token",
// "new_password", "roomGrant").
const char *const kSecretWords[] = {"token", "sig", "password", "pwd", "grant", "auth", "secret"};

const QRegularExpression &secretPattern() {
  // 1: the key, its closing quote and the separator; 2: an opening quote; 3: the value. A
  // value runs to its closing quote, or to the next separator of a form, query or list.
  static const QRegularExpression re(
      QStringLiteral("((?<![A-Za-z0-9])(?:[A-Za-z]+_?)?(?:token|usersig|user_sig|sig|signature|password|pwd|"
                     "authbuffer|auth_buffer|authorization|grant|secret)(?![A-Za-z0-9])\\\\?\"?\\s*[=:]\\s*)"
                     "(\\\\?\"?)((?:[^\"\\\\&\\s,;}]|\\\\(?!\"))+)"),
      QRegularExpression::CaseInsensitiveOption);
  return re;
}

} // namespace

bool mayHoldSecret(const QString &text) {
  for (const char *word : kSecretWords)
    if (text.contains(QLatin1String(word), Qt::CaseInsensitive)) return true;
  return false;
}

QString redact(const QString &text) {
  if (!mayHoldSecret(text)) return text;
  QString out;
  out.reserve(text.size());
  int from = 0;
  auto it = secretPattern().globalMatch(text);
  while (it.hasNext()) {
    const QRegularExpressionMatch m = it.next();
    out += text.midRef(from, m.capturedStart(3) - from);
    out += QLatin1String("***");
    from = m.capturedEnd(3);
  }
  out += text.midRef(from);
  return out;
}

} // namespace logredact
