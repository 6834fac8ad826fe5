#pragma once
// Plays a scenario as the class's teacher: signs in to the hub, then runs the steps in order,
// one console line each, with what the students send shown as it arrives. Waiting steps
// look at what has arrived and at what arrives later, until their timeout. At the end, or on
// any failure, the teacher leaves the room and signs out before finished() is emitted.

#include "protocol/classcommandcode.h"
#include "sdk/net/hubtransport.h"
#include "teacher/classstate.h"
#include "teacher/scenario.h"
#include "teacher/scenariovariables.h"
#include "teacher/stagegrants.h"
#include "teacher/stepwait.h"
#include "teacher/teachercredentials.h"
#include "teacher/teachersession.h"

#include <QHash>
#include <QObject>

#include <functional>
#include <memory>

class Classmate;
class StreamPublisher;
class TeacherBoard;

struct RunnerSetup {
  Scenario scenario;
  TeacherCredentials credentials;
  quint32 roomId = 0;
  sdk::HubTransportFactory transports;
  std::function<void(const QString &line)> print; // what the person watching sees
  std::function<void(const QString &line)> warn;  // problems
  // Hub credentials for a classmate step: through the class service or signed locally.
  using ClassmateSignedIn = std::function<void(const TeacherCredentials &, const QString &problem)>;
  std::function<void(const ScenarioStep &, ClassmateSignedIn)> signInClassmate;
  QString previewUrl; // where the documents the teacher shows on the whiteboard are previewed
};

class ScenarioRunner : public QObject {
  Q_OBJECT
public:
  enum ExitCode { Completed = 0, BadInput = 1, SignInFailed = 2, StepFailed = 3, ConnectionLost = 4, Interrupted = 5 };
  static constexpr int kAnswerSnapshotCode = toWire(ClassCommandCode::AskChatPermission);

  explicit ScenarioRunner(RunnerSetup setup, QObject *parent = nullptr);
  ~ScenarioRunner() override;

  void start();
  // Stops where it is: leaves the room and finishes with Interrupted.
  void interrupt();

  bool isFinished() const { return m_exitCode >= 0; }
  int exitCode() const { return m_exitCode; } // -1 until finished
  QString failure() const { return m_failure; }
  const ClassState &classState() const { return m_class; }

signals:
  void finished(int exitCode);

private:
  const ScenarioStep &current() const { return m_setup.scenario.steps.at(m_index); }
  void next();
  void run(const ScenarioStep &step);
  void refreshNames();
  void announce(const QString &what);
  void note(const QString &what);
  void stepDone(const QString &outcome = QString());
  void stepFailed(const QString &problem);
  void finish(int code, const QString &problem);
  void signIn(std::function<void()> then, std::function<void(const QString &)> failed);

  void doEnter();
  void doLeave(const ScenarioStep &s);
  void doWait(const ScenarioStep &s);
  void doWaitMember(const ScenarioStep &s);
  void doWaitLeave(const ScenarioStep &s);
  void doWaitCommand(const ScenarioStep &s);
  void doPublish(const ScenarioStep &s);
  void doUnpublish(const ScenarioStep &s);
  void doCommand(const ScenarioStep &s);
  void doChat(const ScenarioStep &s);
  void doText(const ScenarioStep &s);
  void doReward(const ScenarioStep &s);
  void doRoster(const ScenarioStep &s);
  void doClassmate(const ScenarioStep &s);
  void seatClassmate(const ScenarioStep &s, const TeacherCredentials &credentials);
  void doBoard(const ScenarioStep &s);

  void sendStepCommand(const QString &to, int code, const QString &param);
  void changeStage(const QStringList &userIds, bool grant, std::function<void()> then);
  void waitFor(const ScenarioStep &s, StepWait::Check check, const QString &timeoutProblem);
  void checkWaiter();
  void stopPublishers();
  bool expandTarget(const QString &raw, const char *member, QString *out);
  QString who(const QString &userId) const;
  QString teacherName() const;
  QString timeoutText(const ScenarioStep &s) const;

  void onCommand(const ReceivedCommand &command);
  void onMemberEntered(const QString &userId);
  void onMemberLeft(const QString &userId);
  void answerSnapshot(const QString &userId);

  RunnerSetup m_setup;
  TeacherSession m_session;
  ClassState m_class;
  StageGrants m_stage;
  ScenarioVariables m_vars;
  QHash<int, StreamPublisher *> m_publishers; // by source
  QList<Classmate *> m_classmates;
  std::unique_ptr<TeacherBoard> m_board;     // from the first whiteboard step on
  StepWait m_wait;
  int m_index = 0;
  int m_token = 0; // bumped whenever a step ends; late answers of an old step are dropped
  bool m_finishing = false;
  int m_exitCode = -1;
  QString m_failure;
};
