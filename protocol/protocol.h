#pragma once
// Shared vocabulary of the class hub protocol (docs/protocol.md): version, result codes,
// stream sources and the JSON envelope of control messages. Used by the hub and the SDK.

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace hubproto {

constexpr int kVersion = 4;

// The one table of result codes; the live SDK's public codes are tied to it at compile time.
enum Code : int {
  Ok = 0,
  RoleUnchanged = 1001,
  NotSignedIn = 1002,
  NotInRoom = 1003,
  StreamNotFound = 1004,
  NotAllowed = 1005,
  BadArgument = 1006,
  RateLimited = 1007,
  TooLarge = 1008,
  UnknownKind = 1009,
  Malformed = 1010,
  BadVersion = 1011,
  BadFrame = 1012,
  PeerOffline = 1013,
  SlowReader = 1014,
  // Entering a room and going on stage (version 2).
  GrantMissing = 1015,    // join without a room grant
  GrantForged = 1016,     // a grant the service did not sign, or not a grant at all
  GrantExpired = 1017,
  GrantOtherRoom = 1018,  // a genuine grant for another room
  GrantOtherUser = 1019,  // a genuine grant for another user
  RoleNotGranted = 1020,  // a role above the grant's (LiveMaster for anyone but the teacher)
  StageNotGranted = 1021, // LiveGuest or publishing before the teacher granted the stage
  TeacherOnly = 1022,     // grant and revoke are the room's teacher's
  Already = 8024,
  // Reported by the client side of the link itself: the hub was never reached, did not
  // answer, or the local device could not serve the call. They never travel on the wire.
  ClientNotInitialised = 2001,
  ClientConnect = 2002,
  ClientTimeout = 2003,
  ClientNotLoggedIn = 2004,
  ClientBusy = 2005,
  ClientNoDevice = 2006,
  ClientDeviceFailed = 2007,
  ClientConnectionLost = 2009,
  SigInvalid = 70001,
  SigExpired = 70002,
  Kicked = 70004,
};

// A stream of a member is (user id, source). The numbers of the video sources are those of
// the media frame header and of the live SDK.
enum class Source : quint8 { Audio = 0, Camera = 1, Screen = 2, Media = 3 };
constexpr int kSourceCount = 4;

QString sourceName(Source source);
bool sourceFromName(const QString &name, Source *source);

// Roles a member can have in a room.
extern const char kRoleGuest[];      // listening
extern const char kRoleLiveGuest[];  // on stage
extern const char kRoleLiveMaster[]; // teaching
bool isKnownRole(const QString &role);
bool roleMayPublish(const QString &role);

// A control message with "v" set, as compact JSON text.
QByteArray encode(QJsonObject message);
QJsonObject makeReply(qint64 id, int code = Ok, const QString &desc = QString());
QJsonObject makeNotice(const QString &type);
QJsonObject makeError(int code, const QString &desc, qint64 id = 0);

// A control message read from the wire.
struct Envelope {
  QJsonObject body;
  QString type;
  qint64 id = 0; // 0 when absent or unusable
};

// Parses and checks the envelope. On failure returns false with the code (Malformed,
// BadVersion, BadArgument) and a description; *out->id is still filled when it was readable.
bool parseEnvelope(const QByteArray &text, Envelope *out, int *code, QString *desc);

// Strict readers of members: false when the member is missing or of another type.
bool readString(const QJsonObject &o, const char *key, QString *out);
bool readUInt32(const QJsonObject &o, const char *key, quint32 *out);
bool readId(const QJsonValue &v, qint64 *out); // an integer 1 .. 2^53

} // namespace hubproto
