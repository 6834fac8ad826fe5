#include "service/portalroutes.h"

#include "core/classname.h"

#include "service/accountstore.h"
#include "service/avatars.h"
#include "service/roomstore.h"
#include "service/seeddata.h"
#include "service/tokenguard.h"
#include "service/webassets.h"

#include <QDebug>
#include <QJsonArray>

void PortalRoutes::registerRoutes(ApiRouter &router) {
  const QString s = QStringLiteral("quorvel");
  router.add(s, QStringLiteral("user-info"), [this](const FormParams &p) { return userInfo(p); });
  router.add(s, QStringLiteral("classes"), [this](const FormParams &p) { return classes(p); });
  router.add(s, QStringLiteral("courses"), [this](const FormParams &p) { return courses(p); });
  router.add(s, QStringLiteral("shop"), [this](const FormParams &p) { return shop(p); });
  router.add(s, QStringLiteral("exchange"), [this](const FormParams &p) { return exchange(p); });
  router.add(s, QStringLiteral("downloads"), [this](const FormParams &p) { return downloads(p); });
  router.add(s, QStringLiteral("documents"), [this](const FormParams &p) { return documents(p); });
  router.add(s, QStringLiteral("edit-student-name"), [this](const FormParams &p) { return editStudentName(p); });
}

QJsonObject PortalRoutes::enterCommand(const ClassRoom &c, const QString &token) {
  QJsonObject data;
  data.insert(QStringLiteral("id"), c.id);
  data.insert(QStringLiteral("lineType"), c.lineType);
  data.insert(QStringLiteral("token"), token);
  data.insert(QStringLiteral("roomId"), qint64(c.roomId));
  data.insert(QStringLiteral("masterId"), c.teacherId);
  data.insert(QStringLiteral("courseName"), c.courseName);
  data.insert(QStringLiteral("lessonName"), c.lessonName);
  QJsonObject command;
  command.insert(QStringLiteral("action"), 1);
  command.insert(QStringLiteral("data"), data);
  return command;
}

QString PortalRoutes::teacherName(const QString &teacherId) const {
  const std::optional<Account> t = m_accounts.byId(teacherId);
  return t ? t->name : QString();
}

QJsonObject PortalRoutes::classEntry(const ClassRoom &c, const QString &token) const {
  QJsonObject o;
  o.insert(QStringLiteral("id"), c.id);
  o.insert(QStringLiteral("roomId"), qint64(c.roomId));
  o.insert(QStringLiteral("courseName"), c.courseName);
  o.insert(QStringLiteral("lessonName"), c.lessonName);
  o.insert(QStringLiteral("lineType"), c.lineType);
  o.insert(QStringLiteral("subject"), c.subject);
  o.insert(QStringLiteral("startTime"), c.startTime);
  o.insert(QStringLiteral("endTime"), c.endTime);
  o.insert(QStringLiteral("teacherId"), c.teacherId);
  o.insert(QStringLiteral("teacherName"), teacherName(c.teacherId));
  o.insert(QStringLiteral("teacherInRoom"), m_rooms.teacherInRoom(c.roomId));
  o.insert(QStringLiteral("online"), m_rooms.onlineCount(c.roomId));
  o.insert(QStringLiteral("enter"), enterCommand(c, token));
  return o;
}

ApiReply PortalRoutes::userInfo(const FormParams &p) const {
  Account me;
  if (auto refused = TokenGuard::check(m_accounts, p, &me)) return *refused;
  QJsonObject data;
  data.insert(QStringLiteral("userId"), me.userId);
  data.insert(QStringLiteral("name"), me.name);
  data.insert(QStringLiteral("phone"), me.phone);
  data.insert(QStringLiteral("gold"), me.gold);
  data.insert(QStringLiteral("avatar"), m_avatars.base64(me.userId));
  return ApiReply::ok(data);
}

ApiReply PortalRoutes::classes(const FormParams &p) const {
  Account me;
  if (auto refused = TokenGuard::check(m_accounts, p, &me)) return *refused;
  QJsonArray list;
  for (const ClassRoom &c : m_rooms.classes()) list.append(classEntry(c, p.value(QStringLiteral("token"))));
  QJsonObject data;
  data.insert(QStringLiteral("classes"), list);
  return ApiReply::ok(data);
}

ApiReply PortalRoutes::documents(const FormParams &p) const {
  Account me;
  if (auto refused = TokenGuard::check(m_accounts, p, &me)) return *refused;
  QJsonArray list;
  for (const Document &d : m_catalog.documents)
    list.append(QJsonObject{{QStringLiteral("file"), d.file}, {QStringLiteral("title"), d.title}, {QStringLiteral("pages"), d.pages}});
  QJsonObject data;
  data.insert(QStringLiteral("documents"), list);
  return ApiReply::ok(data);
}

ApiReply PortalRoutes::courses(const FormParams &p) const {
  Account me;
  if (auto refused = TokenGuard::check(m_accounts, p, &me)) return *refused;
  const QString token = p.value(QStringLiteral("token"));
  QJsonArray list;
  for (const Course &course : m_catalog.courses) {
    QJsonObject o;
    o.insert(QStringLiteral("name"), course.name);
    o.insert(QStringLiteral("subject"), course.subject);
    o.insert(QStringLiteral("teacherName"), teacherName(course.teacherId));
    o.insert(QStringLiteral("current"), course.current);
    QJsonArray lessons;
    for (int i = 0; i < course.lessons.size(); ++i) {
      const int number = i + 1;
      QJsonObject l;
      l.insert(QStringLiteral("number"), number);
      l.insert(QStringLiteral("title"), course.lessons.at(i));
      l.insert(QStringLiteral("state"), number < course.current    ? QStringLiteral("finished")
                                        : number == course.current ? QStringLiteral("live")
                                                                   : QStringLiteral("upcoming"));
      lessons.append(l);
    }
    o.insert(QStringLiteral("lessons"), lessons);
    for (const ClassRoom &c : m_rooms.classes())
      if (c.courseName == course.name) o.insert(QStringLiteral("live"), classEntry(c, token));
    list.append(o);
  }
  QJsonObject data;
  data.insert(QStringLiteral("courses"), list);
  return ApiReply::ok(data);
}

ApiReply PortalRoutes::shop(const FormParams &p) const {
  Account me;
  if (auto refused = TokenGuard::check(m_accounts, p, &me)) return *refused;
  QJsonArray items;
  for (const ShopItem &s : m_catalog.shop) {
    QJsonObject o;
    o.insert(QStringLiteral("id"), s.id);
    o.insert(QStringLiteral("name"), s.name);
    o.insert(QStringLiteral("description"), s.description);
    o.insert(QStringLiteral("price"), s.price);
    items.append(o);
  }
  QJsonObject data;
  data.insert(QStringLiteral("gold"), me.gold);
  data.insert(QStringLiteral("items"), items);
  return ApiReply::ok(data);
}

ApiReply PortalRoutes::exchange(const FormParams &p) {
  Account me;
  if (auto refused = TokenGuard::check(m_accounts, p, &me)) return *refused;
  const QString itemId = p.value(QStringLiteral("item"));
  if (itemId.isEmpty()) return ApiReply::missing(QStringLiteral("item"));
  for (const ShopItem &s : m_catalog.shop) {
    if (s.id != itemId) continue;
    int balance = 0;
    if (!m_accounts.spendGold(me.userId, s.price, &balance)) return ApiReply::error(ApiError::NotEnoughGold);
    qInfo().noquote() << "quorvel/exchange" << me.userId << s.id << "balance" << balance;
    QJsonObject data;
    data.insert(QStringLiteral("gold"), balance);
    data.insert(QStringLiteral("item"), s.name);
    return ApiReply::ok(data);
  }
  return ApiReply::error(ApiError::UnknownItem);
}

ApiReply PortalRoutes::downloads(const FormParams &p) const {
  Account me;
  if (auto refused = TokenGuard::check(m_accounts, p, &me)) return *refused;
  QJsonArray files;
  for (const DownloadFile &d : m_catalog.downloads) {
    const qint64 size = m_assets.size(QStringLiteral("files/") + d.file);
    if (size < 0) continue; // listed in the seed but not shipped: do not offer a dead link
    QJsonObject o;
    o.insert(QStringLiteral("title"), d.title);
    o.insert(QStringLiteral("course"), d.course);
    o.insert(QStringLiteral("url"), QStringLiteral("/files/") + d.file);
    o.insert(QStringLiteral("size"), size);
    files.append(o);
  }
  QJsonObject data;
  data.insert(QStringLiteral("files"), files);
  return ApiReply::ok(data);
}

// The client's editor checks with the same rules; a client that skips them is refused here.
QString PortalRoutes::nameProblem(const QString &name) { return classname::refusal(name); }

ApiReply PortalRoutes::editStudentName(const FormParams &p) {
  Account me;
  if (auto refused = TokenGuard::check(m_accounts, p, &me)) return *refused;
  if (!p.has(QStringLiteral("name"))) return ApiReply::missing(QStringLiteral("name"));
  const QString name = p.value(QStringLiteral("name"));
  const QString problem = nameProblem(name);
  if (!problem.isEmpty()) return ApiReply::error(ApiError::BadName, problem);
  m_accounts.setName(me.userId, name);
  m_rooms.rename(me.userId, name);
  qInfo().noquote() << "quorvel/edit-student-name" << me.userId;
  QJsonObject data;
  data.insert(QStringLiteral("name"), name);
  return ApiReply::ok(data);
}
