#pragma once
// The "live-service" calls of the classroom: sign-in to a class (with the hub's user
// signature), teacher presence, enter, heartbeat, exit and the rosters.

#include "service/apirouter.h"
#include "service/servicerecords.h"

#include <optional>

class AccountStore;
class CredentialIssuer;
class BoardArchiver;
class ImTokenIssuer;
class JanusRooms;
class XmppAdmin;
class RoomStore;
struct ServiceConfig;

class ClassroomRoutes {
public:
  ClassroomRoutes(const AccountStore &accounts, RoomStore &rooms, const CredentialIssuer &credentials,
                  const ServiceConfig &config)
      : m_accounts(accounts), m_rooms(rooms), m_credentials(credentials), m_config(config) {}

  void registerRoutes(ApiRouter &router);
  // IM on an XMPP server: the class sign-in seats the user in the class's room there and hands
  // out the server's token as "imToken".
  void setXmpp(XmppAdmin *admin, const ImTokenIssuer *tokens, BoardArchiver *archiver) {
    m_xmpp = admin;
    m_imTokens = tokens;
    m_archiver = archiver;
  }

  // Media on Janus: the class sign-in makes the class's room there if need be and hands out
  // the member's token and feed ids.
  void setJanus(JanusRooms *rooms) { m_janus = rooms; }

  ApiReply bgpLogin(const FormParams &p) const;
  ApiReply teacherInRoom(const FormParams &p) const;
  ApiReply enter(const FormParams &p);
  ApiReply heartbeat(const FormParams &p);
  ApiReply exit(const FormParams &p);
  ApiReply roomUser(const FormParams &p) const;
  ApiReply oneRoomUser(const FormParams &p) const;

  // One element of "idlist": uid, name ("(离线)" appended while offline), role, device,
  // full_device, offline, sort, up.
  static QJsonObject memberObject(const Member &m);

private:
  // Checks token and roomId (in that order); the refusal when either is bad.
  std::optional<ApiReply> caller(const FormParams &p, Account *who, ClassRoom *room) const;
  // Seats the caller on the IM server and in the media server's room, as far as they carry
  // the class; false when one refused or could not be reached.
  bool seatOnEngines(const Account &who, const ClassRoom &room, QJsonObject *data) const;
  // The role a caller may take: "0" for a student, "1" only for the class's teacher.
  std::optional<ApiReply> checkRole(const FormParams &p, const Account &who, const ClassRoom &room) const;

  const AccountStore &m_accounts;
  RoomStore &m_rooms;
  const CredentialIssuer &m_credentials;
  const ServiceConfig &m_config;
  XmppAdmin *m_xmpp = nullptr;
  const ImTokenIssuer *m_imTokens = nullptr;
  BoardArchiver *m_archiver = nullptr;
  JanusRooms *m_janus = nullptr;
};
