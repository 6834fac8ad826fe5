#include "service/serviceoptions.h"

#include <QCommandLineParser>
#include <QUrl>

namespace {
bool readPort(const QString &text, quint16 *out) {
  bool ok = false;
  const uint value = text.toUInt(&ok);
  if (!ok || value > 65535) return false;
  *out = quint16(value);
  return true;
}
} // namespace

bool ServiceOptions::readXmpp(const QString &url, const QString &apiUrl, QString *error) {
  const QUrl u(url);
  xmppHost = u.host();
  xmppDomain = u.path().mid(1);
  xmppApiUrl = apiUrl;
  xmppApiSecret = qgetenv("TARNWICK_XMPP_API_SECRET");
  xmppJwtSecret = qgetenv("TARNWICK_XMPP_JWT_SECRET");
  if (u.scheme() != QLatin1String("xmpp") || xmppHost.isEmpty() || !readPort(QString::number(u.port()), &xmppPort) ||
      xmppPort == 0 || xmppDomain.isEmpty()) {
    *error = QStringLiteral("--xmpp takes xmpp://host:port/domain");
    return false;
  }
  if (xmppApiUrl.isEmpty() || xmppApiSecret.isEmpty() || xmppJwtSecret.isEmpty()) {
    *error = QStringLiteral("--xmpp needs --xmpp-api, TARNWICK_XMPP_API_SECRET and TARNWICK_XMPP_JWT_SECRET");
    return false;
  }
  return true;
}

namespace {
// The service's own lines to an engine stay on this machine.
bool isLoopbackHttp(const QString &url) {
  const QUrl u(url);
  return u.scheme() == QLatin1String("http") && u.port() > 0 && u.host().startsWith(QLatin1String("127."));
}
} // namespace

bool ServiceOptions::readJanus(const QString &url, const QString &apiUrl, const QString &adminUrl, QString *error) {
  const QUrl u(url);
  if (u.scheme() != QLatin1String("ws") || u.host().isEmpty() || u.port() <= 0) {
    *error = QStringLiteral("--janus takes ws://host:port");
    return false;
  }
  janusUrl = url;
  janusApiUrl = apiUrl;
  janusAdminUrl = adminUrl;
  janusApiSecret = qgetenv("TARNWICK_JANUS_API_SECRET");
  janusAdminSecret = qgetenv("TARNWICK_JANUS_ADMIN_SECRET");
  janusRoomKey = qgetenv("TARNWICK_JANUS_ROOM_KEY");
  if (!isLoopbackHttp(apiUrl) || !isLoopbackHttp(adminUrl)) {
    *error = QStringLiteral("--janus needs --janus-api and --janus-admin, each http://127.x.x.x:port");
    return false;
  }
  if (janusApiSecret.isEmpty() || janusAdminSecret.isEmpty() || janusRoomKey.isEmpty()) {
    *error = QStringLiteral("--janus needs TARNWICK_JANUS_API_SECRET, TARNWICK_JANUS_ADMIN_SECRET and TARNWICK_JANUS_ROOM_KEY");
    return false;
  }
  return true;
}

bool ServiceOptions::parse(const QStringList &arguments, QString *error) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Local stand-in of the Tarnwick service"));
  const QCommandLineOption portOpt(QStringLiteral("port"), QStringLiteral("HTTP port (0 = any free port)"),
                                   QStringLiteral("port"), QStringLiteral("18080"));
  const QCommandLineOption hubOpt(QStringLiteral("hub-port"), QStringLiteral("class hub port (0 = any free port)"),
                                  QStringLiteral("port"), QStringLiteral("18081"));
  const QCommandLineOption seedOpt(QStringLiteral("seed"), QStringLiteral("seed JSON file"), QStringLiteral("file"));
  const QCommandLineOption webOpt(QStringLiteral("web-root"), QStringLiteral("serve pages from this folder"),
                                  QStringLiteral("dir"));
  const QCommandLineOption versionOpt(QStringLiteral("version-reply"),
                                      QStringLiteral("JSON file answered by live-service/version"),
                                      QStringLiteral("file"));
  const QCommandLineOption secretOpt(QStringLiteral("secret"), QStringLiteral("signing secret shared with the hub"),
                                     QStringLiteral("text"));
  const QCommandLineOption refreshOpt(QStringLiteral("refresh-interval"),
                                      QStringLiteral("roster refresh interval handed to clients, seconds"),
                                      QStringLiteral("s"), QStringLiteral("30"));
  const QCommandLineOption storeOpt(QStringLiteral("store"),
                                    QStringLiteral("folder of uploaded chat pictures (default: a temporary one)"),
                                    QStringLiteral("dir"));
  const QCommandLineOption documentsOpt(QStringLiteral("documents"),
                                        QStringLiteral("folder of the documents' PDFs (default: the shipped documents)"),
                                        QStringLiteral("dir"));
  const QCommandLineOption xmppOpt(QStringLiteral("xmpp"),
                                    QStringLiteral("XMPP server carrying IM, xmpp://host:port/domain (secrets from the environment)"),
                                    QStringLiteral("url"));
  const QCommandLineOption xmppApiOpt(QStringLiteral("xmpp-api"), QStringLiteral("that server's HTTP API on loopback"),
                                      QStringLiteral("url"));
  const QCommandLineOption janusOpt(QStringLiteral("janus"),
                                     QStringLiteral("Janus carrying media, its WebSocket API ws://host:port (secrets from the environment)"),
                                     QStringLiteral("url"));
  const QCommandLineOption janusApiOpt(QStringLiteral("janus-api"), QStringLiteral("that Janus's API over HTTP on loopback"),
                                       QStringLiteral("url"));
  const QCommandLineOption janusAdminOpt(QStringLiteral("janus-admin"),
                                         QStringLiteral("that Janus's Admin API over HTTP on loopback"), QStringLiteral("url"));
  const QCommandLineOption helpOpt = parser.addHelpOption();
  for (const QCommandLineOption &o : {portOpt, hubOpt, seedOpt, webOpt, versionOpt, secretOpt, refreshOpt, storeOpt,
                                      documentsOpt, xmppOpt, xmppApiOpt, janusOpt, janusApiOpt, janusAdminOpt})
    parser.addOption(o);
  if (!parser.parse(arguments)) {
    *error = parser.errorText();
    return false;
  }
  if (parser.isSet(helpOpt)) {
    helpRequested = true;
    helpText = parser.helpText();
    return true;
  }
  if (!parser.positionalArguments().isEmpty()) {
    *error = QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first());
    return false;
  }
  if (!readPort(parser.value(portOpt), &port) || !readPort(parser.value(hubOpt), &hubPort)) {
    *error = QStringLiteral("ports are numbers from 0 to 65535");
    return false;
  }
  bool ok = false;
  refreshIntervalS = parser.value(refreshOpt).toInt(&ok);
  if (!ok || refreshIntervalS <= 0) {
    *error = QStringLiteral("--refresh-interval takes a positive number of seconds");
    return false;
  }
  seedPath = parser.value(seedOpt);
  webRoot = parser.value(webOpt);
  documentsDir = parser.value(documentsOpt);
  versionReplyPath = parser.isSet(versionOpt) ? parser.value(versionOpt)
                                              : qEnvironmentVariable("TARNWICK_LOCAL_VERSION_REPLY");
  storeDir = parser.value(storeOpt);
  if (parser.isSet(xmppOpt) && !readXmpp(parser.value(xmppOpt), parser.value(xmppApiOpt), error))
    return false;
  if (parser.isSet(janusOpt) &&
      !readJanus(parser.value(janusOpt), parser.value(janusApiOpt), parser.value(janusAdminOpt), error))
    return false;
  secret = (parser.isSet(secretOpt) ? parser.value(secretOpt) : qEnvironmentVariable("TARNWICK_LOCAL_SECRET")).toUtf8();
  return true;
}
