#pragma once
// Small JSON helpers shared by every folder.

#include <QJsonObject>
#include <QString>
#include <QVariantMap>

// The top-level object of the UTF-8 JSON text as a map; an empty map when the text does not
// parse (the parser's message and offset are logged) or is not an object.
QVariantMap jsonToMap(const QString &json);

// The UTF-8 JSON text's top-level object; false (the parser's complaint logged, out untouched)
// when the text does not parse or is not an object.
bool jsonToObject(const QString &json, QJsonObject *out);

// The object as indented JSON text.
QString jsonToText(const QJsonObject &object);

// The object as one-line JSON text, for log records.
QString jsonToCompactText(const QJsonObject &object);
