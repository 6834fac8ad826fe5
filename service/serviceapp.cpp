#include "service/serviceapp.h"

#include "service/accountstore.h"
#include "service/apirouter.h"
#include "service/avatars.h"
#include "service/boardarchiver.h"
#include "service/boardroutes.h"
#include "service/chatroutes.h"
#include "service/classroomroutes.h"
#include "service/credentialissuer.h"
#include "service/documentpreviews.h"
#include "service/httpservice.h"
#include "service/hub/hub.h"
#include "service/hubhost.h"
#include "service/imtokenissuer.h"
#include "service/janusapi.h"
#include "service/janusrooms.h"
#include "service/janusstageguard.h"
#include "service/liveserviceroutes.h"
#include "service/loginroutes.h"
#include "service/pageroutes.h"
#include "service/picturestore.h"
#include "service/portalroutes.h"
#include "service/roomstore.h"
#include "service/seeddata.h"
#include "service/serviceconfig.h"
#include "service/signer.h"
#include "service/webassets.h"
#include "service/xmppadmin.h"

#include "core/places.h"

#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTimer>

struct ServiceApp::Parts {
  Parts(const ServiceOptions &o, const SeedData &s)
      : options(o), seed(s), accounts(seed.accounts), rooms(seed.classes), avatars(seed.accounts),
        assets(o.webRoot.isEmpty() ? QStringLiteral(":/web") : o.webRoot),
        signer(o.secret.isEmpty() ? Signer::randomSecret() : o.secret), credentials(signer),
        login(accounts, avatars, config), live(config), classroom(accounts, rooms, credentials, config),
        chat(accounts, credentials), portal(accounts, rooms, avatars, seed, assets),
        pages(accounts, assets, seed, config),
        pictures(o.storeDir.isEmpty() ? scratchStore.path() : o.storeDir, credentials, config),
        board(signer.secret()),
        previews(o.documentsDir.isEmpty() ? Places::current().sharedDataDir() + QStringLiteral("/documents")
                                          : o.documentsDir,
                 seed.documents),
        http(router, pages, pictures) {
    pages.setPreviews(&previews);
    if (!o.xmppDomain.isEmpty()) {
      xmpp = std::make_unique<XmppAdmin>(o.xmppApiUrl, o.xmppDomain, o.xmppApiSecret);
      imTokens = std::make_unique<ImTokenIssuer>(o.xmppJwtSecret, o.xmppDomain);
      archiver = std::make_unique<BoardArchiver>(
          BoardArchiver::Server{o.xmppHost, o.xmppPort, o.xmppDomain, XmppAdmin::kServiceUser, o.xmppApiSecret});
      classroom.setXmpp(xmpp.get(), imTokens.get(), archiver.get());
      board.setHistory(&archiver->history());
    }
    if (!o.janusUrl.isEmpty()) {
      janusApi = std::make_unique<JanusApi>(
          JanusApi::Endpoints{o.janusApiUrl, o.janusAdminUrl, o.janusApiSecret, o.janusAdminSecret});
      janusRooms = std::make_unique<JanusRooms>(*janusApi, o.janusUrl, o.janusRoomKey, o.janusApiSecret);
      classroom.setJanus(janusRooms.get());
    }
    board.registerRoutes(router);
    login.registerRoutes(router);
    live.registerRoutes(router);
    classroom.registerRoutes(router);
    chat.registerRoutes(router);
    portal.registerRoutes(router);
  }

  ServiceOptions options;
  SeedData seed;
  ServiceConfig config;
  AccountStore accounts;
  RoomStore rooms;
  Avatars avatars;
  WebAssets assets;
  Signer signer;
  CredentialIssuer credentials;
  ApiRouter router;
  LoginRoutes login;
  LiveServiceRoutes live;
  ClassroomRoutes classroom;
  ChatRoutes chat;
  PortalRoutes portal;
  PageRoutes pages;
  QTemporaryDir scratchStore; // the pictures' folder when none was given; goes with the service
  PictureStore pictures;
  BoardRoutes board;
  DocumentPreviews previews;
  HttpService http;
  std::unique_ptr<HubHost> hub;
  std::unique_ptr<XmppAdmin> xmpp;
  std::unique_ptr<ImTokenIssuer> imTokens;
  std::unique_ptr<BoardArchiver> archiver;
  std::unique_ptr<JanusApi> janusApi;
  std::unique_ptr<JanusRooms> janusRooms;
  std::unique_ptr<JanusStageGuard> janusGuard; // stops before the rooms and the hub go
  QTimer silentSweep; // members whose heartbeats stopped leave the class
};

namespace {
// How often members whose heartbeats stopped are looked for.
constexpr int kSilentSweepMs = 1000;

bool loadSeed(const ServiceOptions &o, SeedData *seed, QString *error) {
  const QString path = o.seedPath.isEmpty() ? QStringLiteral(":/service/seed.json") : o.seedPath;
  return SeedData::load(path, seed, error);
}

bool loadVersionReply(const QString &path, QJsonObject *out, QString *error) {
  if (path.isEmpty()) return true;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    *error = QStringLiteral("cannot read version reply %1").arg(path);
    return false;
  }
  const QJsonDocument doc = QJsonDocument::fromJson(f.readAll());
  if (!doc.isObject()) {
    *error = QStringLiteral("version reply %1 is not a JSON object").arg(path);
    return false;
  }
  *out = doc.object();
  return true;
}

} // namespace

ServiceApp::ServiceApp(std::unique_ptr<Parts> parts) : m_parts(std::move(parts)) {}

ServiceApp::~ServiceApp() { stop(); }

std::unique_ptr<ServiceApp> ServiceApp::start(const ServiceOptions &options, QString *error) {
  SeedData seed;
  if (!loadSeed(options, &seed, error)) return nullptr;
  auto parts = std::make_unique<Parts>(options, seed);
  ServiceConfig &config = parts->config;
  config.refreshIntervalS = options.refreshIntervalS;
  if (!loadVersionReply(options.versionReplyPath, &config.versionReply, error)) return nullptr;
  if (!parts->http.bind(options.port, error)) return nullptr;
  config.baseUrl = QStringLiteral("http://127.0.0.1:%1").arg(parts->http.port());

  std::unique_ptr<ServiceApp> app(new ServiceApp(std::move(parts)));
  Parts &p = *app->m_parts;
  p.hub = std::make_unique<HubHost>(p.signer.secret(), p.rooms, p.accounts);
  if (!p.hub->listen(options.hubPort, error)) return nullptr;
  p.hub->setPageOrigins({config.baseUrl, QStringLiteral("http://localhost:%1").arg(p.http.port())});
  p.board.setHub(&p.hub->hub());
  if (p.archiver) p.archiver->start();
  const Hub *hub = &p.hub->hub();
  if (p.janusRooms) {
    const RoomStore *classes = &p.rooms;
    p.janusGuard = std::make_unique<JanusStageGuard>(*p.janusRooms, *p.janusApi, [hub, classes](const QString &userId, quint32 roomId) {
      const std::optional<ClassRoom> room = classes->room(roomId);
      return (room && room->teacherId == userId) || hub->isOnStage(userId, roomId);
    });
    p.janusGuard->start(JanusStageGuard::kDefaultIntervalMs);
  }
  p.pictures.setMemberCheck([hub](const QString &userId) { return hub->isInAnyRoom(userId); });
  if (p.hub->port() != 0) config.hubUrl = QStringLiteral("ws://127.0.0.1:%1").arg(p.hub->port());
  RoomStore *rooms = &p.rooms;
  QObject::connect(&p.silentSweep, &QTimer::timeout, app.get(), [rooms] { rooms->dropSilent(); });
  p.silentSweep.start(kSilentSweepMs);
  if (!p.http.start()) {
    *error = QStringLiteral("the HTTP server did not start");
    return nullptr;
  }
  return app;
}

quint16 ServiceApp::httpPort() const { return m_parts->http.port(); }

quint16 ServiceApp::hubPort() const { return m_parts->hub ? m_parts->hub->port() : 0; }

QString ServiceApp::readyLine() const {
  return QStringLiteral("tarnwick-local http=%1 hub=%2").arg(httpPort()).arg(hubPort());
}

void ServiceApp::stop() {
  if (m_parts && m_parts->janusGuard) m_parts->janusGuard->stop();
  if (m_parts) m_parts->http.stop();
}
