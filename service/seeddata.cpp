#include "service/seeddata.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace {

Account readAccount(const QJsonObject &o, bool teacher) {
  Account a;
  a.userId = o.value(QStringLiteral("userId")).toString();
  a.phone = o.value(QStringLiteral("phone")).toString();
  a.password = o.value(QStringLiteral("password")).toString();
  a.name = o.value(QStringLiteral("name")).toString();
  a.gold = o.value(QStringLiteral("gold")).toInt();
  a.avatarColor = o.value(QStringLiteral("avatarColor")).toString(QStringLiteral("#FFC82E"));
  a.teacher = teacher;
  return a;
}

ClassRoom readClass(const QJsonObject &o) {
  ClassRoom c;
  c.id = o.value(QStringLiteral("id")).toString();
  c.roomId = quint32(o.value(QStringLiteral("roomId")).toDouble());
  c.teacherId = o.value(QStringLiteral("teacherId")).toString();
  c.courseName = o.value(QStringLiteral("courseName")).toString();
  c.lessonName = o.value(QStringLiteral("lessonName")).toString();
  c.lineType = o.value(QStringLiteral("lineType")).toString(QStringLiteral("normal"));
  c.subject = o.value(QStringLiteral("subject")).toString();
  c.startTime = o.value(QStringLiteral("startTime")).toString();
  c.endTime = o.value(QStringLiteral("endTime")).toString();
  return c;
}

Course readCourse(const QJsonObject &o) {
  Course c;
  c.name = o.value(QStringLiteral("name")).toString();
  c.subject = o.value(QStringLiteral("subject")).toString();
  c.teacherId = o.value(QStringLiteral("teacherId")).toString();
  const QJsonArray lessons = o.value(QStringLiteral("lessons")).toArray();
  for (const QJsonValue &l : lessons) c.lessons.append(l.toString());
  c.current = o.value(QStringLiteral("current")).toInt();
  return c;
}

ShopItem readItem(const QJsonObject &o) {
  ShopItem s;
  s.id = o.value(QStringLiteral("id")).toString();
  s.name = o.value(QStringLiteral("name")).toString();
  s.description = o.value(QStringLiteral("description")).toString();
  s.price = o.value(QStringLiteral("price")).toInt();
  return s;
}

DownloadFile readDownload(const QJsonObject &o) {
  DownloadFile d;
  d.file = o.value(QStringLiteral("file")).toString();
  d.title = o.value(QStringLiteral("title")).toString();
  d.course = o.value(QStringLiteral("course")).toString();
  return d;
}

Document readDocument(const QJsonObject &o) {
  Document d;
  d.file = o.value(QStringLiteral("file")).toString();
  d.title = o.value(QStringLiteral("title")).toString();
  d.pages = o.value(QStringLiteral("pages")).toInt();
  return d;
}

// A document's name becomes a file name in the documents folder: one plain component.
bool isPlainName(const QString &name) {
  return !name.isEmpty() && !name.startsWith(QLatin1Char('.')) && !name.contains(QLatin1Char('/')) &&
         !name.contains(QLatin1Char('\\'));
}

template <typename T, typename F> QList<T> readList(const QJsonObject &root, const char *key, F read) {
  QList<T> out;
  const QJsonArray items = root.value(QLatin1String(key)).toArray();
  for (const QJsonValue &v : items) out.append(read(v.toObject()));
  return out;
}

bool check(const SeedData &s, QString *error) {
  QSet<QString> ids, phones;
  for (const Account &a : s.accounts) {
    if (a.userId.isEmpty() || a.phone.isEmpty() || a.password.isEmpty()) {
      *error = QStringLiteral("account without userId, phone or password");
      return false;
    }
    if (ids.contains(a.userId) || phones.contains(a.phone)) {
      *error = QStringLiteral("duplicate account %1").arg(a.userId);
      return false;
    }
    ids.insert(a.userId);
    phones.insert(a.phone);
  }
  QSet<quint32> rooms;
  for (const ClassRoom &c : s.classes) {
    if (c.roomId == 0 || rooms.contains(c.roomId)) {
      *error = QStringLiteral("class %1 needs a unique non-zero roomId").arg(c.id);
      return false;
    }
    if (!ids.contains(c.teacherId)) {
      *error = QStringLiteral("class %1 names an unknown teacher %2").arg(c.id, c.teacherId);
      return false;
    }
    if (c.lineType != QLatin1String("normal") && c.lineType != QLatin1String("bgp")) {
      *error = QStringLiteral("class %1 has line type %2").arg(c.id, c.lineType);
      return false;
    }
    rooms.insert(c.roomId);
  }
  for (const Document &d : s.documents) {
    if (!isPlainName(d.file) || d.pages < 1) {
      *error = QStringLiteral("document %1 needs a plain file name and pages").arg(d.file);
      return false;
    }
  }
  return true;
}

} // namespace

bool SeedData::parse(const QByteArray &json, SeedData *out, QString *error) {
  QJsonParseError pe;
  const QJsonDocument doc = QJsonDocument::fromJson(json, &pe);
  if (!doc.isObject()) {
    *error = pe.error == QJsonParseError::NoError ? QStringLiteral("seed is not a JSON object")
                                                  : pe.errorString();
    return false;
  }
  const QJsonObject root = doc.object();
  SeedData s;
  s.accounts = readList<Account>(root, "students", [](const QJsonObject &o) { return readAccount(o, false); });
  s.accounts += readList<Account>(root, "teachers", [](const QJsonObject &o) { return readAccount(o, true); });
  s.classes = readList<ClassRoom>(root, "classes", readClass);
  s.courses = readList<Course>(root, "courses", readCourse);
  s.shop = readList<ShopItem>(root, "shop", readItem);
  s.downloads = readList<DownloadFile>(root, "downloads", readDownload);
  s.documents = readList<Document>(root, "documents", readDocument);
  if (!check(s, error)) return false;
  *out = s;
  return true;
}

bool SeedData::load(const QString &path, SeedData *out, QString *error) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    *error = QStringLiteral("cannot read %1: %2").arg(path, f.errorString());
    return false;
  }
  return parse(f.readAll(), out, error);
}
