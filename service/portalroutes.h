#pragma once
// The "quorvel" service: what the portal pages show (the student's profile, today's live
// classes with their enter-class commands, courses, shop, downloads) and the class-name
// change.

#include "service/apirouter.h"
#include "service/servicerecords.h"

class AccountStore;
class Avatars;
class RoomStore;
class SeedData;
class WebAssets;

class PortalRoutes {
public:
  PortalRoutes(AccountStore &accounts, RoomStore &rooms, const Avatars &avatars,
               const SeedData &catalog, const WebAssets &assets)
      : m_accounts(accounts), m_rooms(rooms), m_avatars(avatars), m_catalog(catalog), m_assets(assets) {}

  void registerRoutes(ApiRouter &router);

  ApiReply userInfo(const FormParams &p) const;
  ApiReply classes(const FormParams &p) const;
  ApiReply courses(const FormParams &p) const;
  ApiReply shop(const FormParams &p) const;
  ApiReply exchange(const FormParams &p);
  ApiReply downloads(const FormParams &p) const;
  // The documents the preview service shows, for the teacher console's whiteboard.
  ApiReply documents(const FormParams &p) const;
  ApiReply editStudentName(const FormParams &p);

  // The page command that enters the class: {"action": 1, "data": {...}}.
  static QJsonObject enterCommand(const ClassRoom &c, const QString &token);
  // Empty when the name may be used, else the reason shown to the student.
  static QString nameProblem(const QString &name);

private:
  QJsonObject classEntry(const ClassRoom &c, const QString &token) const;
  QString teacherName(const QString &teacherId) const;

  AccountStore &m_accounts;
  RoomStore &m_rooms;
  const Avatars &m_avatars;
  const SeedData &m_catalog;
  const WebAssets &m_assets;
};
