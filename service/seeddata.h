#pragma once
// The service's starting state, read from a JSON file (service/seed.json by default).

#include "service/servicerecords.h"

#include <QByteArray>
#include <QList>
#include <QString>

class SeedData {
public:
  // Parses and checks the seed; on failure returns false and says why in *error.
  static bool parse(const QByteArray &json, SeedData *out, QString *error);
  static bool load(const QString &path, SeedData *out, QString *error);

  QList<Account> accounts;
  QList<ClassRoom> classes;
  QList<Course> courses;
  QList<ShopItem> shop;
  QList<DownloadFile> downloads;
  QList<Document> documents;
};
