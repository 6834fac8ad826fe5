#include "core/classname.h"

#include <QRegularExpression>

namespace classname {

namespace {

bool hasSpecialCharacter(const QString &name) {
  static const QString special = QStringLiteral("~!@#$%^&*()+={}[];',./:<>?`|\\\"");
  for (const QChar c : name)
    if (c.isSpace() || special.contains(c)) return true;
  return false;
}

// Any decimal digit, full-width "２" and digits beyond the 16-bit range ("𝟐") included.
bool startsWithDigit(const QString &name) {
  const QChar first = name.at(0);
  if (first.isHighSurrogate() && name.size() > 1 && name.at(1).isLowSurrogate())
    return QChar::isDigit(QChar::surrogateToUcs4(first, name.at(1)));
  return first.isDigit();
}

} // namespace

QString refusal(const QString &name) {
  if (name.isEmpty()) return QStringLiteral("姓名不可以为空！");
  if (startsWithDigit(name)) return QStringLiteral("姓名不能以数字开头！");
  if (name.size() > kMaxLength) return QStringLiteral("姓名长度不能超过 20 个字符！");
  if (hasSpecialCharacter(name)) return QStringLiteral("姓名中不能包含特殊字符！");
  return QString();
}

QString shown(const QString &stored) {
  // Digit classes in the Unicode sense, as in the rule above: "０１２李四" is prefixed too, and
  // "012３李四" is not (its fourth character is a digit).
  static const QRegularExpression prefixed(QStringLiteral("^(\\d{3})\\D"),
                                           QRegularExpression::UseUnicodePropertiesOption);
  const QRegularExpressionMatch m = prefixed.match(stored);
  return m.hasMatch() ? stored.mid(m.capturedEnd(1)) : stored;
}

} // namespace classname
