#include "service/janusrooms.h"

#include "service/janusapi.h"
#include "protocol/janushandletag.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonObject>
#include <QMessageAuthenticationCode>
#include <QMutexLocker>
#include <QRandomGenerator>

namespace {
const QString kRequest = QStringLiteral("request");
const QString kRoom = QStringLiteral("room");
const QString kSecret = QStringLiteral("secret");
const QString kErrorCode = QStringLiteral("error_code");
constexpr int kNoSuchRoom = 426;
constexpr int kRoomExists = 427;
// Every id stays below 2^53, so JSON readers that hold numbers as doubles keep them exact.
constexpr quint64 kIdLimit = quint64(1) << 53;
// Room limits the whole class shares: VP8 and Opus only, at most 1.5 Mbit/s from a publisher.
constexpr int kPublisherBitrate = 1500000;
constexpr int kKeyframeEveryS = 3;

QString base64Url(const QByteArray &bytes) {
  return QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}
} // namespace

JanusRooms::JanusRooms(JanusApi &api, QString clientUrl, QByteArray roomKey, QByteArray secretKey)
    : m_api(api), m_clientUrl(std::move(clientUrl)), m_roomKey(std::move(roomKey)),
      m_secretKey(std::move(secretKey)) {}

QString JanusRooms::newToken() {
  quint32 words[6];
  QRandomGenerator::system()->fillRange(words);
  return base64Url(QByteArray(reinterpret_cast<const char *>(words), sizeof words));
}

quint64 JanusRooms::newFeedBlock() {
  const quint64 blocks = kIdLimit / kFeedsPerMember;
  return (1 + QRandomGenerator::system()->generate64() % (blocks - 1)) * kFeedsPerMember;
}

JanusRooms::Member JanusRooms::newMember() {
  const QString token = newToken();
  return {token, newFeedBlock(), janushandletag::of(token)};
}

QString JanusRooms::roomSecret(quint32 roomId) const {
  const QByteArray text = "tarnwick-janus-room\n" + QByteArray::number(roomId);
  return base64Url(QMessageAuthenticationCode::hash(text, m_secretKey, QCryptographicHash::Sha256));
}

bool JanusRooms::request(const QJsonObject &body, QJsonObject *data, QString *error) {
  if (!m_api.videoroom(body, data, error))
    return false;
  if (!data->contains(kErrorCode))
    return true;
  *error = QStringLiteral("VideoRoom refused %1 (room %2): %3 %4")
               .arg(body.value(kRequest).toString())
               .arg(body.value(kRoom).toDouble())
               .arg(data->value(kErrorCode).toInt())
               .arg(data->value(QStringLiteral("error")).toString());
  return false;
}

bool JanusRooms::createRoom(quint32 roomId, QString *error, bool *exists) {
  const QJsonObject body{{kRequest, QStringLiteral("create")},
                         {kRoom, qint64(roomId)},
                         {QStringLiteral("admin_key"), QString::fromUtf8(m_roomKey)},
                         {kSecret, roomSecret(roomId)},
                         {QStringLiteral("description"), QStringLiteral("class %1").arg(roomId)},
                         {QStringLiteral("is_private"), true},
                         // An empty list already turns the check on: nobody joins without a token.
                         {QStringLiteral("allowed"), QJsonArray()},
                         {QStringLiteral("publishers"), kMaxPublishers},
                         {QStringLiteral("bitrate"), kPublisherBitrate},
                         {QStringLiteral("fir_freq"), kKeyframeEveryS},
                         {QStringLiteral("videocodec"), QStringLiteral("vp8")},
                         {QStringLiteral("audiocodec"), QStringLiteral("opus")}};
  QJsonObject data;
  if (request(body, &data, error))
    return true;
  *exists = data.value(kErrorCode).toInt() == kRoomExists;
  return false;
}

bool JanusRooms::destroyRoom(quint32 roomId, QString *error) {
  QJsonObject data;
  return request({{kRequest, QStringLiteral("destroy")}, {kRoom, qint64(roomId)}, {kSecret, roomSecret(roomId)}},
                 &data, error);
}

// A room left over from an earlier run of the service holds tokens nobody should keep: it is
// made anew, which also sends away whoever is still in it.
bool JanusRooms::openRoom(quint32 roomId, QString *error) {
  if (m_rooms.contains(roomId))
    return true;
  bool exists = false;
  if (!createRoom(roomId, error, &exists)) {
    if (!exists || !destroyRoom(roomId, error) || !createRoom(roomId, error, &exists))
      return false;
  }
  m_rooms.insert(roomId, {});
  return true;
}

bool JanusRooms::changeAllowed(quint32 roomId, const QString &action, const QString &token, QString *error,
                               bool *roomGone) {
  QJsonObject data;
  const bool done = request({{kRequest, QStringLiteral("allowed")},
                  {kRoom, qint64(roomId)},
                  {kSecret, roomSecret(roomId)},
                  {QStringLiteral("action"), action},
                  {QStringLiteral("allowed"), QJsonArray{token}}},
                 &data, error);
  if (roomGone)
    *roomGone = data.value(kErrorCode).toInt() == kNoSuchRoom;
  return done;
}

bool JanusRooms::seat(quint32 roomId, const QString &userId, JanusSeat *out, QString *error) {
  QMutexLocker guard(&m_lock);
  bool roomGone = false;
  if (seatLocked(roomId, userId, out, error, &roomGone))
    return true;
  if (!roomGone || !restoreLocked(roomId, error))
    return false;
  return seatLocked(roomId, userId, out, error, &roomGone);
}

// Janus lost the room (it restarted): the room is made anew and every member's current token
// stored and let in again, so members whose media link to Janus broke come back by themselves
// with the seats they hold. A member whose token could not be put back is left out, as if it
// had never sat there; the next pass or class sign-in tries again.
bool JanusRooms::restoreLocked(quint32 roomId, QString *error) {
  bool exists = false;
  if (!createRoom(roomId, error, &exists) && !exists)
    return false;
  const QHash<QString, Member> members = m_rooms.value(roomId);
  m_rooms.insert(roomId, {});
  for (auto it = members.constBegin(); it != members.constEnd(); ++it) {
    if (allowToken(roomId, it->token, error))
      m_rooms[roomId].insert(it.key(), it.value());
  }
  qInfo().noquote() << "janus: room" << roomId << "made anew with" << m_rooms.value(roomId).size() << "of"
                    << members.size() << "members";
  return true;
}

bool JanusRooms::allowToken(quint32 roomId, const QString &token, QString *error, bool *roomGone) {
  const QJsonObject stored{{QStringLiteral("token"), token},
                           {QStringLiteral("plugins"), QJsonArray{JanusApi::kVideoRoom}}};
  return m_api.admin(QStringLiteral("add_token"), stored, error) &&
         changeAllowed(roomId, QStringLiteral("add"), token, error, roomGone);
}

bool JanusRooms::seatLocked(quint32 roomId, const QString &userId, JanusSeat *out, QString *error, bool *roomGone) {
  if (!openRoom(roomId, error))
    return false;
  const Member fresh = newMember();
  if (!allowToken(roomId, fresh.token, error, roomGone))
    return false;
  QHash<QString, Member> &members = m_rooms[roomId];
  const Member old = members.value(userId);
  members.insert(userId, fresh);
  if (!old.token.isEmpty()) {
    // The earlier sign-in's token lets nobody in any more; its feeds belong to nobody.
    QString ignored;
    changeAllowed(roomId, QStringLiteral("remove"), old.token, &ignored);
    m_api.admin(QStringLiteral("remove_token"), {{QStringLiteral("token"), old.token}}, &ignored);
  }
  *out = {m_clientUrl, roomId, fresh.token, fresh.feed};
  return true;
}

bool JanusRooms::participants(quint32 roomId, QList<JanusParticipant> *out, QString *error) {
  QJsonObject data;
  if (!request({{kRequest, QStringLiteral("listparticipants")}, {kRoom, qint64(roomId)}}, &data, error)) {
    if (data.value(kErrorCode).toInt() == kNoSuchRoom) {
      QMutexLocker guard(&m_lock);
      QString ignored;
      restoreLocked(roomId, &ignored);
    }
    return false;
  }
  out->clear();
  for (const QJsonValue &v : data.value(QStringLiteral("participants")).toArray()) {
    const QJsonObject p = v.toObject();
    out->append({static_cast<quint64>(p.value(QStringLiteral("id")).toDouble()),
                 p.value(QStringLiteral("display")).toString(), p.value(QStringLiteral("publisher")).toBool()});
  }
  return true;
}

bool JanusRooms::kick(quint32 roomId, quint64 feedId, QString *error) {
  QJsonObject data;
  return request({{kRequest, QStringLiteral("kick")},
                  {kRoom, qint64(roomId)},
                  {kSecret, roomSecret(roomId)},
                  {QStringLiteral("id"), static_cast<qint64>(feedId)}},
                 &data, error);
}

QString JanusRooms::ownerOf(quint32 roomId, quint64 feedId, QString *handleTag) const {
  QMutexLocker guard(&m_lock);
  const QHash<QString, Member> members = m_rooms.value(roomId);
  for (auto it = members.constBegin(); it != members.constEnd(); ++it) {
    if (feedId >= it->feed && feedId < it->feed + kFeedsPerMember) {
      if (handleTag)
        *handleTag = it->handleTag;
      return it.key();
    }
  }
  return QString();
}

QString JanusRooms::memberOfTag(quint32 roomId, const QString &handleTag) const {
  QMutexLocker guard(&m_lock);
  const QHash<QString, Member> members = m_rooms.value(roomId);
  for (auto it = members.constBegin(); it != members.constEnd(); ++it) {
    if (!handleTag.isEmpty() && it->handleTag == handleTag)
      return it.key();
  }
  return QString();
}

QList<quint32> JanusRooms::rooms() const {
  QMutexLocker guard(&m_lock);
  return m_rooms.keys();
}
