#pragma once
// tarnwick-teacher's command line.

#include <QByteArray>
#include <QString>
#include <QStringList>

class TeacherOptions {
public:
  QString scenarioPath;
  quint32 roomId = 0;  // 0 = the scenario's "room"
  QString hubUrl;      // empty = the deployment's hub
  QString serviceUrl;  // empty = the deployment's backend
  QString phone;       // signing in through the service
  QString password;
  QByteArray secret;   // signing locally: --secret, else $TARNWICK_LOCAL_SECRET
  QString userId;      // with the secret
  QString name;        // with the secret; the service knows the name itself
  bool checkOnly = false;
  bool helpRequested = false;

  // Parses arguments (argv[0] first). False with *error for a bad, unknown or missing option.
  bool parse(const QStringList &arguments, QString *error);
  // How the teacher signs in: through the service (phone and password) or locally.
  bool signsInThroughService() const { return !phone.isEmpty(); }

  static QString helpText();
};
