#include "hubstudent.h"

#include "support/inprocesstransport.h"
#include "protocol/roomgrant.h"
#include "protocol/usersig.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

HubStudent::HubStudent(Hub *hub, const QString &id)
    : HubStudent(std::make_unique<sdk::InProcessTransport>(hub), id) {}

HubStudent::HubStudent(std::unique_ptr<sdk::HubTransport> transport, const QString &id)
    : client(std::move(transport)), userId(id),
      m_decoders([this](const QString &owner, hubproto::Source source) {
        client.requestKeyframe(owner, source, [](const sdk::HubReply &) {});
      }) {
  for (int i = 0; i < hubproto::kSourceCount; ++i)
    m_lastFrames.append(hubproto::MediaFrame());
  QObject::connect(&client, &sdk::HubClient::imMessage, [this](const hubproto::ImMessage &m) { record(m); });
  QObject::connect(&client, &sdk::HubClient::mediaFrame, [this](const hubproto::MediaFrame &f) {
    m_frameCounts[int(f.source)]++;
    hubproto::MediaFrame decoded;
    if (m_decoders.receive(f, QDateTime::currentMSecsSinceEpoch(), &decoded))
      m_lastFrames[int(f.source)] = decoded;
  });
  QObject::connect(&client, &sdk::HubClient::streamNotice,
                   [this](quint32, const QString &owner, hubproto::Source source, bool on) {
                     if (on)
                       m_streams.append({owner, int(source)});
                   });
}

void HubStudent::record(const hubproto::ImMessage &m) {
  // Read the way another client would: the JSON object in the custom element's data.
  for (const hubproto::Element &e : m.elems) {
    if (e.kind != hubproto::Element::Custom)
      continue;
    const QJsonObject o = QJsonDocument::fromJson(e.data).object();
    if (o.isEmpty())
      continue;
    SeenCommand c;
    c.from = m.from;
    c.code = o.value(QLatin1String("userAction")).toInt();
    c.param = o.value(QLatin1String("actionParam")).toString();
    c.direct = m.conv.type == hubproto::Conversation::C2C;
    c.data = e.data;
    c.ext = e.ext;
    commands.append(c);
  }
}

int HubStudent::call(std::function<void(sdk::HubReplyFn)> fn) {
  int code = -1;
  bool done = false;
  fn([&](const sdk::HubReply &r) {
    code = r.code;
    done = true;
  });
  if (!QTest::qWaitFor([&] { return done; }, 5000))
    return -1;
  return code;
}

int HubStudent::login(const QByteArray &secret) {
  m_secret = secret;
  const QString sig = usersig::issueFor(secret, userId, 3600);
  return call([&](sdk::HubReplyFn done) { client.login(userId, sig, done); });
}

int HubStudent::changeRole(const QString &role) {
  return call([&](sdk::HubReplyFn done) { client.changeRole(role, done); });
}

int HubStudent::join(quint32 room) {
  const int code = call([&](sdk::HubReplyFn done) {
    const QString grant = roomgrant::issueFor(m_secret, userId, room, QLatin1String(hubproto::kRoleGuest), 3600);
    client.join(room, QLatin1String(hubproto::kRoleGuest), grant, [this, room, done](const sdk::HubReply &r) {
      // Streams already running when we came in count as seen.
      for (const QJsonValue &m : r.body.value(QLatin1String("members")).toArray())
        for (const QJsonValue &s : m.toObject().value(QLatin1String("streams")).toArray()) {
          hubproto::Source source{};
          if (hubproto::sourceFromName(s.toString(), &source))
            m_streams.append({m.toObject().value(QLatin1String("userId")).toString(), int(source)});
        }
      if (r.code == 0)
        roomId = room;
      done(r);
    });
  });
  return code;
}

int HubStudent::sendCommand(const QString &to, ClassCommandCode code, const QString &param) {
  hubproto::Conversation conv;
  conv.type = to.isEmpty() ? hubproto::Conversation::Group : hubproto::Conversation::C2C;
  conv.peer = to.isEmpty() ? QString::number(roomId) : to;
  hubproto::Element e;
  e.kind = hubproto::Element::Custom;
  e.ext = QStringLiteral("LiveNotification");
  e.data = QJsonDocument(QJsonObject{{QStringLiteral("actionParam"), param}, {QStringLiteral("userAction"), toWire(code)}})
               .toJson(QJsonDocument::Indented);
  return call([&](sdk::HubReplyFn done) { client.sendMessage(conv, {e}, nullptr, done); });
}

int HubStudent::requestStream(const QString &owner, hubproto::Source source) {
  return call([&](sdk::HubReplyFn done) { client.requestStreams({{owner, source}}, done); });
}

QList<ClassCommandCode> HubStudent::codes() const {
  QList<ClassCommandCode> list;
  for (const SeenCommand &c : commands)
    list.append(static_cast<ClassCommandCode>(c.code));
  return list;
}

const SeenCommand *HubStudent::find(ClassCommandCode code, int from) const {
  for (int i = from; i < commands.size(); ++i)
    if (commands.at(i).code == toWire(code))
      return &commands.at(i);
  return nullptr;
}

bool HubStudent::waitForCode(ClassCommandCode code, int ms) const {
  return QTest::qWaitFor([&] { return find(code) != nullptr; }, ms);
}

int HubStudent::frames(hubproto::Source source) const { return m_frameCounts.at(int(source)); }

hubproto::MediaFrame HubStudent::lastFrame(hubproto::Source source) const { return m_lastFrames.at(int(source)); }

bool HubStudent::sawStream(const QString &owner, hubproto::Source source) const {
  return m_streams.contains({owner, int(source)});
}
