#pragma once
// The parameters of one API call, decoded from a form-encoded body and the address's query.
// Decoding is forgiving: the client sends values unencoded (Chinese names arrive as raw
// UTF-8), so anything that is not a valid escape is kept as it stands.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

class FormParams {
public:
  FormParams() = default;
  // Query items first, body items over them (the body wins for a key given in both).
  static FormParams parse(const QByteArray &body, const QByteArray &query = QByteArray());
  static QString decode(const QByteArray &component);

  bool has(const QString &key) const { return m_values.contains(key); }
  QString value(const QString &key) const { return m_values.value(key); }
  // The first of keys that is absent or empty; empty when all are there.
  QString firstMissing(const QStringList &keys) const;
  // The value as a non-negative integer; false when it is absent or not a plain number.
  bool toUInt(const QString &key, quint32 *out) const;
  void set(const QString &key, const QString &value) { m_values.insert(key, value); }
  int size() const { return m_values.size(); }

  // The caller's network address, which no parameter can set (sign-in throttling counts by it).
  QString peer() const { return m_peer; }
  void setPeer(const QString &address) { m_peer = address; }

private:
  void addItems(const QByteArray &text);
  QMap<QString, QString> m_values;
  QString m_peer;
};
