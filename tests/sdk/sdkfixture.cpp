#include "sdkfixture.h"

#include "protocol/roomgrant.h"
#include "protocol/usersig.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QtTest>

const QByteArray kSdkTestSecret = QByteArrayLiteral("secret of the sdk tests");

namespace {
bool onGui() { return QThread::currentThread() == QCoreApplication::instance()->thread(); }
Recorder *rec(void *data) { return static_cast<Recorder *>(data); }
} // namespace

QString testSig(const QString &userId, qint64 lifetime) {
  return usersig::issueFor(kSdkTestSecret, userId, lifetime);
}

bool Recorder::wait(int ms) { return QTest::qWaitFor([this] { return answer.done; }, ms); }

void Recorder::succ(void *data) {
  Answer &a = rec(data)->answer;
  a = Answer();
  a.done = a.ok = true;
  a.onGuiThread = onGui();
}

void Recorder::err(const char *module, int code, const char *desc, void *data) {
  Answer &a = rec(data)->answer;
  a = Answer();
  a.done = true;
  a.code = code;
  a.module = QString::fromUtf8(module);
  a.desc = QString::fromUtf8(desc);
  a.onGuiThread = onGui();
}

void Recorder::pushSucc(uint64_t channel, void *data) {
  succ(data);
  rec(data)->answer.channel = channel;
}

void Recorder::memberStatus(ilive::MemberEvent event, const ilive::Vector<ilive::String> &ids, void *data) {
  Member m{event, {}};
  for (const ilive::String &id : ids)
    m.ids.append(QString::fromUtf8(id.c_str()));
  rec(data)->members.append(m);
  rec(data)->callbacksOnGui = rec(data)->callbacksOnGui && onGui();
}

void Recorder::deviceOp(ilive::DeviceOperation op, int32_t result, void *data) {
  rec(data)->deviceOps.append({op, result});
  rec(data)->callbacksOnGui = rec(data)->callbacksOnGui && onGui();
}

void Recorder::connectionLost(int32_t reason, const char *text, void *data) {
  rec(data)->lost = reason;
  rec(data)->lostText = QString::fromUtf8(text);
  rec(data)->callbacksOnGui = rec(data)->callbacksOnGui && onGui();
}

void Recorder::quality(const ilive::QualityReport &report, void *data) {
  rec(data)->qualityReports++;
  rec(data)->lastQuality = report;
}

bool Recorder::sawMember(ilive::MemberEvent event, const QString &id) const {
  for (const Member &m : members)
    if (m.event == event && m.ids.contains(id))
      return true;
  return false;
}

void FrameRecorder::onFrame(const ilive::LiveVideoFrame *f, void *data) {
  auto *self = static_cast<FrameRecorder *>(data);
  Seen s{QByteArray(f->identifier),
         f->colorFormat,
         static_cast<int>(f->width),
         static_cast<int>(f->height),
         f->srcType,
         QByteArray(reinterpret_cast<const char *>(f->data), static_cast<int>(f->dataSize)),
         onGui()};
  QMutexLocker guard(&self->m_lock);
  self->m_seen.append(s);
  if (self->m_seen.size() > 4)
    self->m_seen.removeFirst();
}

int FrameRecorder::count() const {
  QMutexLocker guard(&m_lock);
  return m_seen.size();
}

FrameRecorder::Seen FrameRecorder::last() const {
  QMutexLocker guard(&m_lock);
  return m_seen.isEmpty() ? Seen{} : m_seen.last();
}

void FrameRecorder::clear() {
  QMutexLocker guard(&m_lock);
  m_seen.clear();
}

Teacher::Teacher(std::unique_ptr<sdk::HubTransport> transport)
    : client(std::move(transport)), m_decoders([this](const QString &owner, hubproto::Source source) {
        client.requestKeyframe(owner, source, [](const sdk::HubReply &) {});
      }) {
  QObject::connect(&client, &sdk::HubClient::imMessage, [this](const hubproto::ImMessage &m) { messages.append(m); });
  QObject::connect(&client, &sdk::HubClient::mediaFrame, [this](const hubproto::MediaFrame &f) {
    frames.append(f);
    hubproto::MediaFrame decoded;
    if (m_decoders.receive(f, QDateTime::currentMSecsSinceEpoch(), &decoded))
      pictures.append(decoded);
  });
  QObject::connect(&client, &sdk::HubClient::keyframeRequested, [this](hubproto::Source source) {
    m_encoders.requestKeyframe(source);
    const hubproto::MediaFrame last = m_lastPicture.value(int(source));
    if (!last.payload.isEmpty())
      sendFrame(source, last.payload, last.width, last.height);
  });
  QObject::connect(&client, &sdk::HubClient::memberNotice,
                   [this](quint32, const QString &event, const QString &user, const QString &) {
                     memberEvents.append({event, user});
                   });
  QObject::connect(&client, &sdk::HubClient::streamNotice,
                   [this](quint32, const QString &, hubproto::Source source, bool on) {
                     streamEvents.append({hubproto::sourceName(source), on});
                   });
}

sdk::HubReply Teacher::call(std::function<void(sdk::HubClient &, sdk::HubReplyFn)> fn) {
  sdk::HubReply reply;
  bool done = false;
  fn(client, [&](const sdk::HubReply &r) {
    reply = r;
    done = true;
  });
  if (!QTest::qWaitFor([&] { return done; }, 10000))
    reply.code = -1;
  return reply;
}

int Teacher::login(const QString &userId) {
  m_userId = userId;
  return call([&](sdk::HubClient &c, sdk::HubReplyFn done) { c.login(userId, testSig(userId), done); }).code;
}

int Teacher::join(quint32 roomId, const QString &role) {
  const QString grant = testGrant(m_userId, roomId, role);
  return call([&](sdk::HubClient &c, sdk::HubReplyFn done) { c.join(roomId, role, grant, done); }).code;
}

int Teacher::grantStage(const QString &userId) {
  return call([&](sdk::HubClient &c, sdk::HubReplyFn done) { c.grantStage(userId, done); }).code;
}

QString testGrant(const QString &userId, quint32 roomId, const QString &role, const QByteArray &secret) {
  return roomgrant::issueFor(secret, userId, roomId, role, 3600);
}

void setGrant(ilive::RoomOption &option, const QString &userId, const QString &role, const QByteArray &secret) {
  const QByteArray grant = testGrant(userId, option.roomId, role, secret).toUtf8();
  option.authBuffer = ilive::String(grant.constData(), size_t(grant.size()));
}

QString Teacher::publish(hubproto::Source source) {
  const sdk::HubReply r = call([&](sdk::HubClient &c, sdk::HubReplyFn done) {
    c.publish(source, source == hubproto::Source::Camera, done);
  });
  return r.code == 0 ? r.body.value(QStringLiteral("channelId")).toString() : QString();
}

void Teacher::sendFrame(hubproto::Source source, const QByteArray &i420, int width, int height) {
  m_lastPicture.insert(int(source), hubproto::videoFrame(source, width, height, i420, 0));
  for (const hubproto::MediaFrame &f : m_encoders.video(source, i420, width, height, QDateTime::currentMSecsSinceEpoch()))
    client.sendFrame(f);
}
