#pragma once
// The class as the console teaches it, without widgets: the teacher's hub session in the
// room, the roster of students, the class commands the teacher's buttons send, the answers
// the students' clients expect (the chat-permission snapshot) and the discussion as the chat
// page shows it.

#include "protocol/classcommandcode.h"
#include "protocol/immessage.h"
#include "sdk/net/hubtransport.h"
#include "teacher/classstate.h"
#include "teacher/console/consoleroster.h"
#include "teacher/teachercredentials.h"
#include "teacher/teachersession.h"

#include <QJsonObject>
#include <QObject>
#include <QSet>

class ConsoleClass : public QObject {
  Q_OBJECT
public:
  explicit ConsoleClass(sdk::HubTransportFactory transports, QObject *parent = nullptr);

  // Signs in to the hub and enters the room as the teacher; entered() or problem() follows.
  void start(const TeacherCredentials &credentials, quint32 roomId);

  TeacherSession &session() { return m_session; }
  ConsoleRoster &roster() { return m_roster; }
  const TeacherCredentials &credentials() const { return m_credentials; }
  QString teacherName() const;
  bool discussionOpen() const { return m_discussionOpen; }
  QString display() const { return m_display; }

  // One student.
  void callOnStage(const QString &userId, bool withCamera);
  void takeOffStage(const QString &userId);
  void closeCamera(const QString &userId);
  void reward(const QString &userId, int amount, const QString &message);
  void setChatMuted(const QString &userId, bool muted);

  // The whole class.
  // Everybody off stage (6); the stage the console granted is taken back from each.
  void everyoneOffStage();
  void setDiscussionOpen(bool open);
  void setDisplay(const QString &mode); // "Screen" or "WhiteBoard"
  // Tells the class (2) and leaves the room; ended() follows.
  void endClass();
  // A chat in both forms: the plain elements and 2056 with the chat page message. Shown on
  // the console's own page at once, as the hub does not echo it.
  void sendChat(const QVector<hubproto::Element> &plain, const QJsonObject &pageMessage);

  // A text or face element as an item of a chat page message.
  static QJsonObject pageItem(const hubproto::Element &e);

  static constexpr const char *kScreen = "Screen";
  static constexpr const char *kWhiteBoard = "WhiteBoard";

signals:
  void entered();
  void ended();
  void problem(const QString &what);
  // Chat page message (JSON text) and its time (seconds; 0 = now).
  void chatToShow(const QString &pageMessage, quint32 time);

private:
  void send(const QString &to, ClassCommandCode code, const QString &param);
  void onCommand(const ReceivedCommand &command);
  void onMessage(const hubproto::ImMessage &message);
  void complain(const QString &doing, int code, const QString &desc);
  TeacherSession::Done reportFailure(const QString &doing);
  void revokeStage(const QString &userId);

  TeacherSession m_session;
  ConsoleRoster m_roster;
  ClassState m_state;
  TeacherCredentials m_credentials;
  QSet<QString> m_pageClients; // students whose chat also comes as 2056
  QSet<QString> m_granted;     // students the console let on stage
  bool m_discussionOpen = true;
  QString m_display = QLatin1String(kScreen);
};
