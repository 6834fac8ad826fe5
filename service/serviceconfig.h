#pragma once
// Values the routes need that are fixed once the service has started.

#include <QByteArray>
#include <QJsonObject>
#include <QString>

struct ServiceConfig {
  QString baseUrl;          // http://127.0.0.1:<port>, known once the server has bound
  QString hubUrl;           // ws://127.0.0.1:<port>, empty without a hub
  QJsonObject versionReply; // "data" of live-service/version
  int refreshIntervalS = 30; // "refresh_interval" of live-service/enter
  QString portalVersion = QStringLiteral("2.6.0"); // "ver" of the sign-in configuration
  int buildNumber = 1011;
  // The picture store's account: the one folder below /files/v2/ that takes uploads.
  QString storageAccount = QStringLiteral("tarnwick-local");
};
