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
  // IM on an XMPP server instead of the hub (all empty: the hub carries IM).
  QString xmppHost;          // --xmpp xmpp://<host>:<port>/<domain>: the server's c2s listener
  quint16 xmppPort = 0;
  QString xmppDomain;
  QString xmppApiUrl;        // --xmpp-api http://127.0.0.1:<port>
  QByteArray xmppApiSecret;  // $TARNWICK_XMPP_API_SECRET: the service account's password
  QByteArray xmppJwtSecret;  // $TARNWICK_XMPP_JWT_SECRET: the server's HS256 token key
  bool helpRequested = false;
  QString helpText;

  // Parses arguments (argv[0] first). False with *error for a bad or unknown option.
  bool parse(const QStringList &arguments, QString *error);

private:
  bool readXmpp(const QString &url, const QString &apiUrl, QString *error);
};
