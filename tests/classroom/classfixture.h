#pragma once
// A whole class in one test process: a hub with the teacher in the room (driven by the test),
// the live SDK of the process reaching that hub in-process, a loopback backend that answers
// the classroom's calls, a stand-in shell window with the invokables the classroom calls, and
// a driver for the message boxes.

#include "classroom/classchatview.h"
#include "classroom/classcontrols.h"
#include "classroom/classroomseam.h"
#include "classroom/classsession.h"
#include "classroom/mainform.h"
#include "messaging/classcommand.h"
#include "protocol/classcommandcode.h"
#include "messaging/hubteacher.h"
#include "support/httpserver.h"

#include <QJsonObject>
#include <QMap>
#include <QMutex>
#include <QProcess>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>
#include <QWidget>
#include <functional>
#include <memory>

class Hub;
class EjabberdEngine;
class JanusEngine;
class LocalService;
class QTimer;

namespace classtest {

extern const QByteArray kSecret;
extern const quint32 kRoom;
extern const QString kStudentId;
extern const QString kStudentName;
extern const QString kTeacherId;
extern const QString kOtherStudentId;
extern const QString kToken;

// A hub member that also keeps the member and stream notices the hub sends it.
class WatchingMember : public HubTeacher {
public:
  WatchingMember(Hub *hub, const QString &userId) : HubTeacher(hub, userId) {}
  void sendText(const QByteArray &json) override;
  QList<QJsonObject> notices() const;
  // Class commands received (group and one-to-one), in order.
  QList<ClassCommand> commands() const;
  QList<ClassCommand> commands(ClassCommandCode code) const;
  // Waits for the reply of the latest request; true when it succeeded.
  bool lastRequestOk(int timeoutMs = 5000) const { return lastRequestCode(timeoutMs) == 0; }
  // Its code; -1 without a reply in time.
  int lastRequestCode(int timeoutMs = 5000) const;
  void sendCommand(ClassCommandCode code, const QString &param);
  void sendCommandTo(const QString &userId, ClassCommandCode code, const QString &param);

private:
  mutable QMutex noticeMutex_;
  QList<QJsonObject> notices_;
};

// The backend on loopback: every live-service and chat-service path answers from a queue of
// replies (the last one repeats), each with an optional delay. Handlers run on the server's
// threads.
class FakeBackend {
public:
  struct Reply {
    int errorCode = 0;
    QString errorInfo;
    QJsonObject data;
    int delayMs = 0;
  };

  FakeBackend(); // points the process's deployment record at itself
  ~FakeBackend();

  // Replaces the replies of a path ("live-service/enter") with these, in order.
  void answer(const QString &path, const QList<Reply> &replies);
  void answer(const QString &path, const Reply &reply) { answer(path, QList<Reply>{reply}); }

  QList<testsupport::HttpRequest> calls(const QString &path) const;
  int count(const QString &path) const { return calls(path).size(); }
  bool waitFor(const QString &path, int n, int timeoutMs = 5000) const;

  static Reply ok(const QJsonObject &data = QJsonObject(), int delayMs = 0);
  static Reply error(int code, const QString &info);

  testsupport::HttpServer &server() { return server_; }

private:
  QByteArray reply(const QString &path);

  mutable QMutex mutex_;
  QMap<QString, QList<Reply>> replies_;
  QMap<QString, int> served_;
  // Last, so that it goes first: its threads may be answering from the members above.
  testsupport::HttpServer server_;
};

// The chat page as a plain widget that keeps the events broadcast into it.
class RecordingChatPage : public QWidget, public ChatPage {
  Q_OBJECT
public:
  using QWidget::QWidget;
  QList<QPair<QString, QVariantMap>> events;
  QWidget *widget() override { return this; }
  void broadcastEvent(const QString &name, const QVariantMap &properties) override {
    events << qMakePair(name, properties);
  }
};

// The shell window as the classroom sees it.
class FakeShell : public QWidget, public ClassroomShell {
  Q_OBJECT
public:
  FakeShell();
  ~FakeShell() override;

  QVariantMap settings;
  QStringList calls; // "leaveClass(false)", "setMyName(...)", "loadSetting", "setNetGood", ...
  QPointer<MainForm> classroom;
  QPointer<ClassSession> session; // a session without a window: leaving closes it directly
  std::function<void()> onSetMyName; // runs inside setMyName, when set

  int leaveClass(bool ask) override;
  void setMyName(const QString &name) override;
  void loadSetting() override;
  QVariantMap currentSettings() const override { return settings; }
  AudioHelper *audioHelper() const override { return nullptr; }
  void setNetGood() override;
  void setNetBad() override;

  QString chatPageUrl;
  QPointer<RecordingChatPage> chatPage;
  ChatPage *createChatPage(const QString &url, QWidget *parent) override {
    chatPageUrl = url;
    chatPage = new RecordingChatPage(parent);
    return chatPage;
  }
};

// The window's side of a session without a window: chat column and controls in memory, and
// the IM receiver that hands deliveries to the session.
class MemoryView : public QObject, public ClassChatView, public ClassControls {
  Q_OBJECT
public:
  ClassSession *session = nullptr;
  bool allowed = true;
  bool chatControls = false;
  bool micEnabled = false;
  bool speakerEnabled = false;
  bool micOn = false;
  bool speakerOn = false;
  int micVol = 0;
  int speakerVol = 0;
  QStringList systemMessages;
  QStringList stageMarks; // "onMic", "offStage", ...

  bool chatAllowed() const override { return allowed; }
  void setControlsEnabled(bool enabled) override { chatControls = enabled; }
  void closeChat() override { allowed = chatControls = false; }
  void openChat() override { allowed = chatControls = true; }
  void addSystemMessage(const QString &text) override { systemMessages << text; }
  void receiveChatCommand(const QString &, const QString &, uint32_t) override {}
  void receivePlain(const QString &, const QString &, const std::vector<LiveMessage> &) override {}
  void setMicEnabled(bool enabled) override { micEnabled = enabled; }
  void setSpeakerEnabled(bool enabled) override { speakerEnabled = enabled; }
  void setMicOn(bool on) override { micOn = on; }
  void setSpeakerOn(bool on) override { speakerOn = on; }
  int micVolume() const override { return micVol; }
  int speakerVolume() const override { return speakerVol; }
  void setMicVolume(int value) override { micVol = value; }
  void setSpeakerVolume(int value) override { speakerVol = value; }
  void onMic() override { stageMarks << QStringLiteral("onMic"); }
  void offMic() override { stageMarks << QStringLiteral("offMic"); }
  void onStage() override { stageMarks << QStringLiteral("onStage"); }
  void offStage() override { stageMarks << QStringLiteral("offStage"); }
  void offCamera() override { stageMarks << QStringLiteral("offCamera"); }

signals:
  void receiveMessage(QString sender, std::vector<LiveMessage> *msgs);

public slots:
  void OnReceiveMessage(QString sender, std::vector<LiveMessage> *msgs);
};

// Answers every yes/no question with `yes` while it lives; lists the information boxes.
class BoxWatch {
public:
  explicit BoxWatch(bool yes = true);
  ~BoxWatch();
  void setAnswer(bool yes) { yes_ = yes; }
  QStringList questions() const { return questions_; } // "title|text"
  static QStringList information();                    // open boxes, "title|text"
  static int informationCount(const QString &containing);
  static void closeInformation();

private:
  void poll();
  bool yes_;
  QStringList questions_;
  QTimer *timer_;
};

// Janus started, tarnwick-local started making its classes' rooms there, and the process's
// deployment record and live SDK pointed at the service's backend, static pages and hub with
// media through that Janus; null (and a warning saying why) when any of it failed.
std::unique_ptr<LocalService> startClassOnJanus(JanusEngine &janus);
// tarnwick-local started with IM on the running ejabberd, and the process's live SDK pointed at
// the service's hub and at imAddress for IM (the engine itself, or a relay in front of it);
// null (and a warning saying why) when any of it failed.
std::unique_ptr<LocalService> startClassOnEjabberd(const EjabberdEngine &engine, const QString &imAddress);

// The shell's device settings for going on stage: the SDK's test-pattern camera and the test
// session's microphone (scripts/session.sh).
void useTestDevices(FakeShell &shell);

// A classroom window of the real local service's class: the ordinary device settings (camera
// off), token, room and teacher set, shown and signing in.
MainForm *openLocalClass(FakeShell &shell, const QString &token, int roomId, const QString &masterId);
// The scripted teacher (tarnwick-teacher) teaching scenario (JSON, written into dir) with the
// seed's teacher account of the service at serviceUrl, with env added to this process's
// environment; null when it did not start.
std::unique_ptr<QProcess> startScriptedTeacher(const QString &dir, const char *scenario, const QString &serviceUrl,
                                               const QProcessEnvironment &env);

// One class: hub, teacher in the room, backend with the ordinary answers, shell, boxes.
class ClassWorld {
public:
  ClassWorld();
  ~ClassWorld();

  // A classroom window as the shell makes it (token, room, teacher set; shown).
  // parent: the window it sits in, as the real shell embeds it; none makes it a window.
  MainForm *open(const QString &lineType = QStringLiteral("normal"), QWidget *parent = nullptr);
  // The whole way in with the teacher present; true once the student is seated (status 2,
  // the teacher has the student's 2112).
  bool enter();
  // enter, then the roster's two rows (teacher and student) are in.
  bool enterWithRoster();
  // Deletes the window now (answers may be in flight).
  void destroyWindow();

  // The session alone, as the window would set it up (token, room, teacher set).
  ClassSession *openSession(const QString &lineType = QStringLiteral("normal"));
  // The whole way in for the session alone (see enter).
  bool enterSession();
  bool waitSessionStatus(ClassStatus status, int timeoutMs = 5000) const;
  void destroySession();
  // Deletes the hub: every connection to it is lost.
  void dropHub();

  // The teacher's one-to-one command to the student, or to the group.
  void teacherSays(ClassCommandCode code, const QString &param, bool group = false);
  // Another student in the room says something to the group.
  WatchingMember *otherStudent();

  bool waitStatus(int status, int timeoutMs = 5000) const;

private:
  template <class Room> void prepare(Room *room);
  // inRoom within five seconds, then the teacher has the student's chat-permission request.
  bool seated(const std::function<bool()> &inRoom) const;

public:

  std::unique_ptr<Hub> hub;
  std::unique_ptr<WatchingMember> teacher;
  std::unique_ptr<WatchingMember> other;
  FakeBackend backend;
  FakeShell shell;
  BoxWatch boxes;
  QPointer<MainForm> window;
  QPointer<ClassSession> session;
  MemoryView view;
  int logoutAnswers = 0; // the window's sign-out answered (either way)
  int testPatternCamera = 0;
  int microphone = 0;
};

} // namespace classtest
