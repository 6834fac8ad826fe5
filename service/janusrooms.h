#pragma once
// The classes' rooms on Janus's VideoRoom: one room per class, made by the service (only it
// holds the plugin's admin key), private, with a token list. Each member of a class gets, with
// every class sign-in, a fresh token (stored in Janus, so it opens a session, and on the room's
// list, so it joins the room; the member's previous token goes) and a fresh block of feed ids
// it publishes under. The service thus knows whose feed a publisher is, and the guard
// (JanusStageGuard) removes what nobody was given. When Janus loses a room (it restarted), the
// next look at the room makes it anew with the members' current tokens.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>

class JanusApi;
class QJsonObject;

// What a member needs to reach its class's room (the janus* members of the class sign-in).
struct JanusSeat {
  QString url;    // Janus's WebSocket API for clients
  quint32 room = 0;
  QString token;  // the session token and the room's join token
  quint64 feed = 0; // the member publishes as feed, feed + 1, … feed + kFeedsPerMember - 1
};

// One entry of the room's participant list.
struct JanusParticipant {
  quint64 id = 0;
  QString display;
  bool publisher = false; // media is flowing from it
};

class JanusRooms {
public:
  static constexpr int kFeedsPerMember = 8;
  static constexpr int kMaxPublishers = 64;

  // clientUrl: what members are told (ws://…); roomKey: VideoRoom's admin key; secretKey: what
  // the rooms' own secrets are derived from, so a restarted service can still manage the rooms
  // it made before.
  JanusRooms(JanusApi &api, QString clientUrl, QByteArray roomKey, QByteArray secretKey);

  // Makes the class's room if need be and gives userId a new token and feed block there.
  bool seat(quint32 roomId, const QString &userId, JanusSeat *out, QString *error);
  bool participants(quint32 roomId, QList<JanusParticipant> *out, QString *error);
  bool kick(quint32 roomId, quint64 feedId, QString *error);
  // The member whose current feed block holds feedId; empty when none. *handleTag, when given,
  // receives the tag that member's handles carry (janushandletag).
  QString ownerOf(quint32 roomId, quint64 feedId, QString *handleTag = nullptr) const;
  // The member whose handles carry handleTag; empty when none.
  QString memberOfTag(quint32 roomId, const QString &handleTag) const;
  QList<quint32> rooms() const;

private:
  struct Member {
    QString token;
    quint64 feed = 0;
    QString handleTag;
  };
  static Member newMember();
  bool openRoom(quint32 roomId, QString *error);
  bool createRoom(quint32 roomId, QString *error, bool *exists);
  bool destroyRoom(quint32 roomId, QString *error);
  bool restoreLocked(quint32 roomId, QString *error);
  // Stores token in Janus and puts it on the room's list.
  bool allowToken(quint32 roomId, const QString &token, QString *error, bool *roomGone = nullptr);
  bool seatLocked(quint32 roomId, const QString &userId, JanusSeat *out, QString *error, bool *roomGone);
  // roomGone: set when Janus knows no such room.
  bool changeAllowed(quint32 roomId, const QString &action, const QString &token, QString *error,
                     bool *roomGone = nullptr);
  // One VideoRoom request; a refusal (error_code) becomes false with *error.
  bool request(const QJsonObject &body, QJsonObject *data, QString *error);
  QString roomSecret(quint32 roomId) const;
  static QString newToken();
  static quint64 newFeedBlock();

  JanusApi &m_api;
  QString m_clientUrl;
  QByteArray m_roomKey;
  QByteArray m_secretKey;
  mutable QMutex m_lock; // calls come from the HTTP server's threads and from the guard
  QHash<quint32, QHash<QString, Member>> m_rooms; // room → user → current token and feeds
};
