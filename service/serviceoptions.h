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
  // Media on Janus's VideoRoom instead of the hub (all empty: the hub carries media).
  QString janusUrl;            // --janus ws://<host>:<port>: the WebSocket API members are sent to
  QString janusApiUrl;         // --janus-api http://127.0.0.1:<port>: the Janus API over HTTP
  QString janusAdminUrl;       // --janus-admin http://127.0.0.1:<port>: the Admin API over HTTP
  QByteArray janusApiSecret;   // $TARNWICK_JANUS_API_SECRET
  QByteArray janusAdminSecret; // $TARNWICK_JANUS_ADMIN_SECRET
  QByteArray janusRoomKey;     // $TARNWICK_JANUS_ROOM_KEY: VideoRoom's admin key
  bool helpRequested = false;
  QString helpText;

  // Parses arguments (argv[0] first). False with *error for a bad or unknown option.
  bool parse(const QStringList &arguments, QString *error);

private:
  bool readXmpp(const QString &url, const QString &apiUrl, QString *error);
  bool readJanus(const QString &url, const QString &apiUrl, const QString &adminUrl, QString *error);
};
