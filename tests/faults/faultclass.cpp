#include "faultclass.h"

#include "core/deployment.h"
#include "messaging/classcommand.h"
#include "net/sxbserverhelper.h"
#include "sdk/live/ilive.h"
#include "teacher/servicesignin.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

namespace faults {

const quint32 kRoom = 300101;
const QString kTeacherId = QStringLiteral("t20001");
const QString kStudentPhone = QStringLiteral("13800000001");
const QString kStudentPassword = QStringLiteral("tarnwick01");

namespace {
const QString kTeacherPhone = QStringLiteral("13900000001");
const QString kTeacherPassword = QStringLiteral("teacher01");
constexpr int kAnswerMs = 10000;
constexpr int kCameraWidth = 640;
constexpr int kCameraHeight = 480;
} // namespace

// ------------------------------------------------------------------------------------------
// HubLink

int HubLink::call(const std::function<void(sdk::HubReplyFn)> &fn) {
  auto code = std::make_shared<int>(-1);
  auto done = std::make_shared<bool>(false);
  fn([code, done](const sdk::HubReply &r) {
    *code = r.code;
    *done = true;
  });
  return QTest::qWaitFor([done] { return *done; }, kAnswerMs) ? *code : -1;
}

std::optional<TeacherCredentials> teacherSignIn(const QString &serviceUrl, quint32 roomId) {
  ServiceSignIn signIn;
  TeacherCredentials credentials;
  bool signedIn = false;
  QObject::connect(&signIn, &ServiceSignIn::finished,
                   [&](const TeacherCredentials &c, const QString &error) {
                     credentials = c;
                     signedIn = error.isEmpty();
                   });
  signIn.start(serviceUrl, kTeacherPhone, kTeacherPassword, roomId);
  if (!QTest::qWaitFor([&] { return signedIn; }, kAnswerMs)) return std::nullopt;
  return credentials;
}

bool HubLink::enterAsTeacher(const QString &serviceUrl, const QString &hubUrl, quint32 roomId) {
  const std::optional<TeacherCredentials> signedIn = teacherSignIn(serviceUrl, roomId);
  if (!signedIn) return false;
  const TeacherCredentials &credentials = *signedIn;
  userId = credentials.userId;
  return enter(hubUrl, credentials.userSig, credentials.authBuffer, QStringLiteral("LiveMaster"), roomId);
}

bool HubLink::enterAsStudent(const LocalService &service, const QString &phone, const QString &password,
                             const QString &hubUrl, quint32 roomId) {
  const QString token = service.signIn(phone, password);
  const LocalService::Reply room = service.call(
      QStringLiteral("live-service"), QStringLiteral("bgp_login"),
      {{QStringLiteral("token"), token}, {QStringLiteral("roomId"), QString::number(roomId)},
       {QStringLiteral("role"), QStringLiteral("0")}});
  if (room.errorCode() != 0) return false;
  userId = room.data().value(QStringLiteral("userId")).toString();
  return enter(hubUrl, room.data().value(QStringLiteral("userSig")).toString(),
               room.data().value(QStringLiteral("authBuffer")).toString(), QStringLiteral("Guest"), roomId);
}

bool HubLink::enter(const QString &hubUrl, const QString &userSig, const QString &authBuffer,
                    const QString &role, quint32 roomId) {
  client = std::make_unique<sdk::HubClient>(sdk::createHubTransport(hubUrl));
  QObject::connect(client.get(), &sdk::HubClient::imMessage,
                   [this](const hubproto::ImMessage &m) { received << m; });
  if (call([&](sdk::HubReplyFn done) { client->login(userId, userSig, done); }) != 0)
    return false;
  return call([&](sdk::HubReplyFn done) { client->join(roomId, role, authBuffer, done); }) == 0;
}

QJsonObject HubLink::ping() {
  auto body = std::make_shared<QJsonObject>();
  call([&](sdk::HubReplyFn done) {
    client->ping([body, done](const sdk::HubReply &r) {
      *body = r.body;
      done(r);
    });
  });
  return *body;
}

int HubLink::send(const hubproto::Conversation &conv, const QVector<hubproto::Element> &elems,
                      const QString *offlinePushExt) {
  return call([&](sdk::HubReplyFn done) { client->sendMessage(conv, elems, offlinePushExt, done); });
}

int HubLink::sendGroup(const QVector<hubproto::Element> &elems, const QString *offlinePushExt) {
  hubproto::Conversation conv;
  conv.peer = QString::number(kRoom);
  return send(conv, elems, offlinePushExt);
}

QString chatPageMessage(const QString &name, const QString &text) {
  const QJsonObject item{{QStringLiteral("type"), QStringLiteral("text")}, {QStringLiteral("value"), text}};
  return QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("name"), name},
                                                     {QStringLiteral("type"), QStringLiteral("message")},
                                                     {QStringLiteral("contents"), QJsonArray{item}}})
                               .toJson());
}

hubproto::Element customElement(const QByteArray &data, const QString &ext) {
  hubproto::Element e;
  e.kind = hubproto::Element::Custom;
  e.data = data;
  e.ext = ext;
  return e;
}

int HubLink::sendCommandData(const QByteArray &data, const QString &to) {
  const hubproto::Element e = customElement(data, QString::fromLatin1(ClassCommand::kExt));
  if (to.isEmpty()) return sendGroup({e});
  hubproto::Conversation conv;
  conv.type = hubproto::Conversation::C2C;
  conv.peer = to;
  return send(conv, {e});
}

int HubLink::command(ClassCommandCode code, const QString &param, const QString &to) {
  return sendCommandData(ClassCommand::toJson(int(code), param), to);
}

int HubLink::publishCamera() {
  return call([&](sdk::HubReplyFn done) { client->publish(hubproto::Source::Camera, false, done); });
}

int HubLink::grantStage(const QString &userId) {
  return call([&](sdk::HubReplyFn done) { client->grantStage(userId, done); });
}

int HubLink::subscribeCamera(const QString &userId) {
  return call([&](sdk::HubReplyFn done) { client->requestStreams({{userId, hubproto::Source::Camera}}, done); });
}

void HubLink::sendCameraFrame(quint32 stamp) {
  // As large as a raw picture, so that it fills a slow link; the hub does not look inside.
  // Every fifth is a keyframe, as an encoder under load would send them.
  const QByteArray payload(hubproto::i420Size(kCameraWidth, kCameraHeight), char(0x80));
  client->sendFrame(hubproto::vp8Frame(hubproto::Source::Camera, kCameraWidth, kCameraHeight, payload, stamp % 5 == 0,
                                       stamp, stamp));
}

void HubLink::close() {
  if (client) client->close();
}

// ------------------------------------------------------------------------------------------
// FaultService

FaultService::FaultService() : m_service(std::make_unique<LocalService>()) {}
FaultService::~FaultService() = default;

bool FaultService::start() {
  if (!m_service->start()) return false;
  m_http = std::make_unique<LoopbackProxy>(m_service->httpPort());
  m_hub = std::make_unique<LoopbackProxy>(m_service->hubPort());
  pointProgramAtRelays();
  return true;
}

bool FaultService::restart() {
  if (!m_service->stop()) return false;
  m_service = std::make_unique<LocalService>();
  if (!m_service->start()) return false;
  m_http->setTargetPort(m_service->httpPort());
  m_hub->setTargetPort(m_service->hubPort());
  return true;
}

void FaultService::pointProgramAtRelays() {
  Deployment d = Deployment::instance();
  d.portalUrl = d.backendUrl = QStringLiteral("http://127.0.0.1:%1").arg(m_http->port());
  d.staticUrl = d.portalUrl + QStringLiteral("/static");
  d.storageUrl = d.portalUrl + QStringLiteral("/storage");
  d.previewUrl = d.portalUrl + QStringLiteral("/preview");
  d.hubUrl = QStringLiteral("ws://127.0.0.1:%1").arg(m_hub->port());
  Deployment::setInstance(d);
  GetILive()->setHubAddress(d.hubUrl.toUtf8().constData());
}

SignedIn FaultService::signIn(const QString &phone, const QString &password) const {
  SignedIn result;
  bool answered = false;
  struct Waiter {
    SignedIn *result;
    bool *answered;
  } waiter{&result, &answered};
  SxbServerHelper::request(
      {{QStringLiteral("phone"), phone}, {QStringLiteral("password"), password}},
      QStringLiteral("login"), QStringLiteral("sign-in"),
      [](int code, const QString &, const QVariantMap &data, void *user) {
        auto *w = static_cast<Waiter *>(user);
        w->result->code = code;
        w->result->token = data.value(QStringLiteral("token")).toString();
        w->result->avatar = data.value(QStringLiteral("avatar")).toString();
        w->result->configJson = QString::fromUtf8(
            QJsonDocument(QJsonObject::fromVariantMap(data.value(QStringLiteral("config")).toMap()))
                .toJson(QJsonDocument::Compact));
        *w->answered = true;
      },
      &waiter);
  // The helper always answers, at the latest when its time limit runs out.
  if (!QTest::qWaitFor([&] { return answered; }, SxbServerHelper::timeLimitMs() + kAnswerMs))
    qFatal("the sign-in call was never answered");
  return result;
}

} // namespace faults
