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

} // namespace

QString refusal(const QString &name) {
  if (name.isEmpty()) return QStringLiteral("姓名不可以为空！");
  if (name.at(0) >= QLatin1Char('0') && name.at(0) <= QLatin1Char('9'))
    return QStringLiteral("姓名不能以数字开头！");
  if (name.size() > kMaxLength) return QStringLiteral("姓名长度不能超过 20 个字符！");
  if (hasSpecialCharacter(name)) return QStringLiteral("姓名中不能包含特殊字符！");
  return QString();
}

QString shown(const QString &stored) {
  static const QRegularExpression prefixed(QStringLiteral("^\\d{3}[^0-9]"));
  return prefixed.match(stored).hasMatch() ? stored.mid(3) : stored;
}

} // namespace classname
