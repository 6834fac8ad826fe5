#pragma once
// The configuration the sign-in page hands over with the token: a JSON object whose "ver"
// goes into the portal's address.

#include <QString>
#include <QVariantMap>

class SignInConfig {
public:
  // False (config untouched) when the text is not a JSON object.
  static bool parse(const QString &json, QVariantMap *config);
  static QString version(const QVariantMap &config);
};
