#pragma once
// The console's calls to the class service besides the hub sign-in: the classes a teacher
// account teaches (sign in with phone and password, "login" "sign-in" → token and user id,
// then the portal's class list, "quorvel" "classes", keeping the classes whose teacher is
// that user), and the teacher's entry in the room's roster ("live-service" "enter" and
// "exit"), made with a device text of this kind of client, so that the students' clients
// show the teacher's chat once, from its 2056, and not its plain elements again.

#include <QHash>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QUrlQuery>

#include <functional>

class QJsonObject;

struct TeacherClass {
  quint32 roomId = 0;
  QString courseName;
  QString lessonName;
  QString lineType;
  QString startTime;
  QString endTime;

  QString title() const;
};

// A document the class service's preview shows page by page.
struct LessonDocument {
  QString file;
  QString title;
  int pages = 0;
};

class TeacherService : public QObject {
  Q_OBJECT
public:
  static constexpr int kTimeoutMs = 15000;
  explicit TeacherService(QObject *parent = nullptr);

  static constexpr const char *kDevicePrefix = "PC2.0_console_";

  void fetch(const QString &serviceUrl, const QString &phone, const QString &password);
  // After fetch: the teacher's roster entry in that class, and its end.
  void enterRoom(const TeacherClass &room);
  void exitRoom(quint32 roomId);
  // After fetch: the documents the whiteboard can show; documentsListed follows.
  void listDocuments();
  // After fetch: the names the service lists for the room's members present now
  // (roomNamesListed follows); a class name changed in class shows here first.
  void listRoomNames(quint32 roomId);

signals:
  // error is empty on success; a teacher without classes gets an empty list and an error.
  void finished(const QList<TeacherClass> &classes, const QString &error);
  void roomCallFailed(const QString &error);
  void documentsListed(const QList<LessonDocument> &documents);
  void roomNamesListed(const QHash<QString, QString> &namesByUserId);

private:
  using Next = std::function<void(const QJsonObject &data)>;
  using Failed = std::function<void(const QString &error)>;
  void post(const QString &call, const QUrlQuery &form, Next next, Failed failed);
  void postInRoom(const QString &call, quint32 roomId, const QUrlQuery &more);
  QUrlQuery tokenForm() const;
  void fail(const QString &error) { emit finished({}, error); }
  void onClasses(const QJsonObject &data);

  QNetworkAccessManager m_net;
  QString m_baseUrl;
  QString m_userId;
  QString m_token;
};
