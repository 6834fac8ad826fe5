#pragma once
// One member of the class as the backend lists it (an object of "idlist"). Each key is read
// only when present.

#include <QString>
#include <QVariantMap>

struct MemberRecord {
  QString uid;
  QString name; // every "(离线)" removed
  QString role; // "1" teacher, "2" on stage, "0" or empty listening
  QString device;
  QString fullDevice;
  QString offline;
  int sort = 0;

  static MemberRecord fromMap(const QVariantMap &map);
  static QString cleanName(const QString &name);
};
