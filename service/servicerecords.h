#pragma once
// Plain records of the service's state: accounts, classes, courses, shop items, members.

#include <QList>
#include <QString>
#include <QStringList>

struct Account {
  QString userId;
  QString phone;
  QString password;
  QString name;
  bool teacher = false;
  int gold = 0;
  QString avatarColor; // background of the generated avatar
};

struct ClassRoom {
  QString id;           // lesson id, as the portal hands it over ("id")
  quint32 roomId = 0;   // live room number
  QString teacherId;    // the teacher's userId ("masterId")
  QString courseName;
  QString lessonName;
  QString lineType;     // "normal" or "bgp"
  QString subject;
  QString startTime;    // "19:00"
  QString endTime;
};

struct Course {
  QString name;         // matches ClassRoom::courseName
  QString subject;
  QString teacherId;
  QStringList lessons;  // in order
  int current = 0;      // 1-based number of the lesson that is live today
};

struct ShopItem {
  QString id;
  QString name;
  QString description;
  int price = 0;
};

struct DownloadFile {
  QString file;         // name under web/files/
  QString title;        // what the student sees and the saved file's name
  QString course;
};

// A document whose pages the preview service shows; its PDF is <documents folder>/<file>.pdf.
struct Document {
  QString file; // the name the class uses ("aaa.ppt")
  QString title;
  int pages = 0;
};

struct Member {
  QString uid;
  QString name;
  QString role;         // "1" teacher, "2" on stage, "0" listening
  QString device;
  QString fullDevice;
  bool up = false;      // camera published
  int sort = 0;
  qint64 lastSeenMs = 0;
  bool online = false;  // filled in when the roster is read
};
