#include "service/formparams.h"

#include <QList>

static int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

QString FormParams::decode(const QByteArray &component) {
  QByteArray out;
  out.reserve(component.size());
  for (int i = 0; i < component.size(); ++i) {
    const char c = component.at(i);
    if (c == '+') {
      out.append(' ');
    } else if (c == '%' && i + 2 < component.size() && hexValue(component.at(i + 1)) >= 0 &&
               hexValue(component.at(i + 2)) >= 0) {
      out.append(char(hexValue(component.at(i + 1)) * 16 + hexValue(component.at(i + 2))));
      i += 2;
    } else {
      out.append(c);
    }
  }
  return QString::fromUtf8(out);
}

void FormParams::addItems(const QByteArray &text) {
  const QList<QByteArray> items = text.split('&');
  for (const QByteArray &item : items) {
    if (item.isEmpty()) continue;
    const int eq = item.indexOf('=');
    const QString key = decode(eq < 0 ? item : item.left(eq));
    if (key.isEmpty()) continue;
    m_values.insert(key, eq < 0 ? QString() : decode(item.mid(eq + 1)));
  }
}

FormParams FormParams::parse(const QByteArray &body, const QByteArray &query) {
  FormParams p;
  p.addItems(query);
  p.addItems(body);
  return p;
}

QString FormParams::firstMissing(const QStringList &keys) const {
  for (const QString &k : keys)
    if (value(k).isEmpty()) return k;
  return QString();
}

bool FormParams::toUInt(const QString &key, quint32 *out) const {
  const QString v = value(key).trimmed();
  if (v.isEmpty()) return false;
  for (const QChar c : v)
    if (!c.isDigit() || c.unicode() > '9') return false;
  bool ok = false;
  const quint32 n = v.toUInt(&ok);
  if (ok && out) *out = n;
  return ok;
}
