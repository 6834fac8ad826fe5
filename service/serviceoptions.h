#pragma once
// tarnwick-local's command line.

#include <QByteArray>
#include <QString>
#include <QStringList>

class ServiceOptions {
public:
  quint16 port = 18080;
  quint16 hubPort = 18081;
  QString seedPath;         // empty: the seed compiled into the program
  QString webRoot;          // empty: the pages compiled into the program
  QString documentsDir;     // empty: the shipped "documents" (core/places.h)
  QString versionReplyPath; // --version-reply, else $TARNWICK_LOCAL_VERSION_REPLY
  QString storeDir;         // --store: uploaded pictures; empty: a temporary folder
  QByteArray secret;        // --secret, else $TARNWICK_LOCAL_SECRET, else random
  int refreshIntervalS = 30;
  bool helpRequested = false;
  QString helpText;

  // Parses arguments (argv[0] first). False with *error for a bad or unknown option.
  bool parse(const QStringList &arguments, QString *error);
};
