#include "teacher/scenariorunner.h"

#include "core/deployment.h"
#include "protocol/classcommandcode.h"
#include "teacher/classmate.h"
#include "teacher/teacherboard.h"
#include "teacher/commandnames.h"
#include "teacher/stepmessages.h"
#include "teacher/streampublisher.h"

#include <QJsonArray>
#include <QTime>

namespace {

constexpr int kTeacherLeaves = toWire(ClassCommandCode::TeacherLeaves);
constexpr int kChat = toWire(ClassCommandCode::Chat);
constexpr int kDisplay = toWire(ClassCommandCode::Display);
constexpr int kReward = toWire(ClassCommandCode::Reward);
constexpr int kRosterNotice = toWire(ClassCommandCode::RosterNotice);
constexpr int kSnapshot = toWire(ClassCommandCode::ChatSnapshot);

using stepmessages::shown;

QString sourceText(hubproto::Source s) {
  return s == hubproto::Source::Screen ? QStringLiteral("the screen") : QStringLiteral("the test-pattern camera");
}

QString seconds(int ms) { return QString::number(ms / 1000.0); }

} // namespace

ScenarioRunner::ScenarioRunner(RunnerSetup setup, QObject *parent)
    : QObject(parent), m_setup(std::move(setup)), m_session(m_setup.transports), m_wait(this) {
  connect(&m_wait, &StepWait::met, this, [this](const QString &outcome) { stepDone(outcome); });
  connect(&m_wait, &StepWait::timedOut, this, &ScenarioRunner::stepFailed);
  connect(&m_session, &TeacherSession::commandReceived, this, &ScenarioRunner::onCommand);
  connect(&m_session, &TeacherSession::memberEntered, this, &ScenarioRunner::onMemberEntered);
  connect(&m_session, &TeacherSession::memberLeft, this, &ScenarioRunner::onMemberLeft);
  connect(&m_session, &TeacherSession::lost, this, [this](const QString &why) { finish(ConnectionLost, why); });
  connect(&m_session, &TeacherSession::reconnecting, this, [this](bool on) {
    note(on ? QStringLiteral("the link to the class was lost; bringing it back") : QStringLiteral("the link is back"));
  });
}

ScenarioRunner::~ScenarioRunner() = default;

QString ScenarioRunner::teacherName() const {
  return m_setup.credentials.name.isEmpty() ? m_setup.credentials.userId : m_setup.credentials.name;
}

QString ScenarioRunner::who(const QString &userId) const {
  const QString name = m_class.nameOf(userId);
  return name.isEmpty() ? userId : QStringLiteral("%1 (%2)").arg(userId, name);
}

QString ScenarioRunner::timeoutText(const ScenarioStep &s) const {
  return QStringLiteral(" (up to %1 s)").arg(seconds(s.timeoutMs));
}

void ScenarioRunner::note(const QString &what) {
  if (m_setup.print)
    m_setup.print(QTime::currentTime().toString(QStringLiteral("HH:mm:ss ")) + QStringLiteral("        ") + what);
}

void ScenarioRunner::announce(const QString &what) {
  const int total = m_setup.scenario.steps.size();
  const int width = QString::number(total).size();
  if (m_setup.print)
    m_setup.print(QTime::currentTime().toString(QStringLiteral("HH:mm:ss ")) +
                  QStringLiteral("[%1/%2] ").arg(m_index + 1, width).arg(total) + what);
}

void ScenarioRunner::start() {
  const TeacherCredentials &c = m_setup.credentials;
  m_vars.set(QStringLiteral("me"), c.userId);
  m_vars.set(QStringLiteral("myName"), teacherName());
  m_vars.set(QStringLiteral("room"), QString::number(m_setup.roomId));
  m_vars.set(QStringLiteral("static"), Deployment::instance().staticUrl);
  if (m_setup.print)
    m_setup.print(QStringLiteral("teacher %1 (%2), room %3, scenario \"%4\", %5 steps")
                      .arg(c.userId, teacherName())
                      .arg(m_setup.roomId)
                      .arg(m_setup.scenario.name)
                      .arg(m_setup.scenario.steps.size()));
  signIn([this] { next(); },
         [this](const QString &problem) { finish(SignInFailed, QStringLiteral("signing in to the class hub failed: ") + problem); });
}

void ScenarioRunner::signIn(std::function<void()> then, std::function<void(const QString &)> failed) {
  const int token = m_token;
  m_session.setImRoute({Deployment::instance().imAddress(), m_setup.credentials.imToken});
  m_session.setMediaRoute(m_setup.credentials.mediaRoute(Deployment::instance().mediaAddress()));
  m_session.signIn(m_setup.credentials.userId, m_setup.credentials.userSig,
                   [this, token, then, failed](int code, const QString &desc) {
                     if (token != m_token)
                       return;
                     if (code != 0)
                       return failed(QStringLiteral("%1 %2").arg(code).arg(desc));
                     then();
                   });
}

void ScenarioRunner::interrupt() {
  if (m_finishing)
    return;
  note(QStringLiteral("stopped; leaving the room"));
  finish(Interrupted, QString());
}

void ScenarioRunner::next() {
  if (m_finishing)
    return;
  if (m_index >= m_setup.scenario.steps.size()) {
    if (m_session.isInRoom())
      note(QStringLiteral("the scenario is over; leaving the room quietly"));
    finish(Completed, QString());
    return;
  }
  run(current());
}

void ScenarioRunner::stepDone(const QString &outcome) {
  if (m_finishing)
    return;
  if (!outcome.isEmpty())
    note(QStringLiteral("-> ") + outcome);
  ++m_token;
  ++m_index;
  // Queued, so a long run of immediate steps does not nest and arrivals are seen in between.
  QMetaObject::invokeMethod(this, [this] { next(); }, Qt::QueuedConnection);
}

void ScenarioRunner::stepFailed(const QString &problem) {
  if (m_finishing)
    return;
  const ScenarioStep &s = current();
  if (s.optional) {
    note(QStringLiteral("! %1 (optional step, going on)").arg(problem));
    stepDone();
    return;
  }
  finish(StepFailed,
         QStringLiteral("step %1 (\"%2\"): %3").arg(s.number).arg(ScenarioStep::kindName(s.kind), problem));
}

void ScenarioRunner::finish(int code, const QString &problem) {
  if (m_finishing)
    return;
  m_finishing = true;
  ++m_token;
  m_wait.clear();
  stopPublishers();
  m_failure = problem;
  if (!problem.isEmpty() && m_setup.warn)
    m_setup.warn(problem);
  auto done = [this, code] {
    if (code == Completed && m_setup.print)
      m_setup.print(QStringLiteral("all %1 steps done").arg(m_setup.scenario.steps.size()));
    QMetaObject::invokeMethod(this, [this, code] {
      m_exitCode = code;
      emit finished(code);
    }, Qt::QueuedConnection);
  };
  m_session.leave([this, done](int c, const QString &desc) {
    if (c != 0 && m_setup.warn)
      m_setup.warn(QStringLiteral("leaving the room: the hub answered %1 %2").arg(c).arg(desc));
    done();
  });
}

void ScenarioRunner::refreshNames() {
  for (const QString &variable : m_vars.names()) {
    const QString id = m_vars.value(variable);
    const QString name = id == m_setup.credentials.userId ? teacherName() : m_class.nameOf(id);
    m_vars.set(variable + QStringLiteral(".name"), name.isEmpty() ? id : name);
  }
}

void ScenarioRunner::run(const ScenarioStep &s) {
  refreshNames(); // names announced since the last step
  switch (s.kind) {
  case StepKind::Enter: return doEnter();
  case StepKind::Leave: return doLeave(s);
  case StepKind::Wait: return doWait(s);
  case StepKind::WaitMember: return doWaitMember(s);
  case StepKind::WaitLeave: return doWaitLeave(s);
  case StepKind::WaitCommand: return doWaitCommand(s);
  case StepKind::Publish: return doPublish(s);
  case StepKind::Unpublish: return doUnpublish(s);
  case StepKind::Command: return doCommand(s);
  case StepKind::Display:
    announce(QStringLiteral("switch the class display to %1: %2").arg(s.text, commandnames::labelled(kDisplay)));
    return sendStepCommand(QString(), kDisplay, s.text);
  case StepKind::Chat: return doChat(s);
  case StepKind::Text: return doText(s);
  case StepKind::Reward: return doReward(s);
  case StepKind::Roster: return doRoster(s);
  case StepKind::BoardTool:
  case StepKind::BoardDraw:
  case StepKind::BoardPage:
  case StepKind::BoardDocument:
  case StepKind::BoardGoto:
  case StepKind::BoardUndo:
  case StepKind::BoardClear:
    return doBoard(s);
  case StepKind::Print:
    announce(m_vars.expand(s.text));
    return stepDone();
  case StepKind::Classmate: return doClassmate(s);
  }
}

bool ScenarioRunner::expandTarget(const QString &raw, const char *member, QString *out) {
  *out = m_vars.expand(raw);
  if (raw.isEmpty() || !out->isEmpty())
    return true;
  // Never fall back to the whole class: a call on stage meant for one student would reach all.
  stepFailed(QStringLiteral("\"%1\": \"%2\" is empty here (the step that sets it matched nobody)")
                 .arg(QLatin1String(member), raw));
  return false;
}

void ScenarioRunner::doEnter() {
  announce(QStringLiteral("enter room %1 as the teacher").arg(m_setup.roomId));
  const int token = m_token;
  auto join = [this, token] {
    m_session.enter(m_setup.roomId, m_setup.credentials.authBuffer,
                    [this, token](int code, const QString &desc, const QStringList &members) {
                      if (token != m_token)
                        return;
                      if (code != 0)
                        return stepFailed(QStringLiteral("the hub refused the room: %1 %2").arg(code).arg(desc));
                      m_class.reset();
                      m_stage.reset();
                      for (const QString &m : members)
                        m_class.memberEntered(m);
                      stepDone(members.isEmpty() ? QStringLiteral("in the room, nobody else here yet")
                                                 : QStringLiteral("in the room with ") + members.join(QStringLiteral(", ")));
                    });
  };
  if (m_session.isSignedIn())
    return join();
  signIn(join, [this](const QString &problem) { stepFailed(QStringLiteral("signing in again failed: ") + problem); });
}

void ScenarioRunner::doLeave(const ScenarioStep &s) {
  announce(s.announce ? QStringLiteral("leave the room, telling the class first: %1").arg(commandnames::labelled(kTeacherLeaves))
                      : QStringLiteral("leave the room quietly"));
  stopPublishers();
  const int token = m_token;
  auto quit = [this, token] {
    m_session.leave([this, token](int code, const QString &desc) {
      if (token != m_token)
        return;
      if (code != 0)
        return stepFailed(QStringLiteral("leaving: the hub answered %1 %2").arg(code).arg(desc));
      stepDone(QStringLiteral("out of the room"));
    });
  };
  if (!s.announce)
    return quit();
  m_session.sendCommand(QString(), kTeacherLeaves, m_setup.credentials.userId,
                        [this, token, quit](int code, const QString &desc) {
                          if (token != m_token)
                            return;
                          if (code != 0)
                            return stepFailed(QStringLiteral("the hub refused %1: %2 %3")
                                                  .arg(commandnames::labelled(kTeacherLeaves)).arg(code).arg(desc));
                          quit();
                        });
}

void ScenarioRunner::doWait(const ScenarioStep &s) {
  announce(QStringLiteral("wait %1 s").arg(seconds(s.durationMs)));
  const int token = m_token;
  QTimer::singleShot(s.durationMs, this, [this, token] {
    if (token == m_token)
      stepDone();
  });
}

void ScenarioRunner::waitFor(const ScenarioStep &s, StepWait::Check check, const QString &timeoutProblem) {
  m_wait.start(s.timeoutMs, std::move(check), timeoutProblem);
}

void ScenarioRunner::checkWaiter() {
  if (!m_finishing)
    m_wait.poll();
}

void ScenarioRunner::doWaitMember(const ScenarioStep &s) {
  QString user;
  if (!expandTarget(s.user, "user", &user))
    return;
  const bool anyone = user == QLatin1String("*");
  const QString whom = anyone ? QStringLiteral("a student") : user;
  announce(QStringLiteral("wait for %1 to join%2").arg(whom, timeoutText(s)));
  const QString capture = s.capture;
  waitFor(s,
          [this, user, anyone, capture]() -> QString {
            const QString id = anyone ? m_class.claimNextMember() : m_class.isPresent(user) ? user : QString();
            if (id.isEmpty())
              return QString();
            m_class.claim(id);
            if (!capture.isEmpty())
              m_vars.set(capture, id);
            return QStringLiteral("%1 is here").arg(who(id));
          },
          QStringLiteral("timed out after %1 s waiting for %2 to join").arg(seconds(s.timeoutMs), whom));
}

void ScenarioRunner::doWaitLeave(const ScenarioStep &s) {
  QString user;
  if (!expandTarget(s.user, "user", &user))
    return;
  announce(QStringLiteral("wait for %1 to leave%2").arg(user, timeoutText(s)));
  waitFor(s,
          [this, user]() -> QString {
            return m_class.isPresent(user) ? QString() : QStringLiteral("%1 is not in the room").arg(who(user));
          },
          QStringLiteral("timed out after %1 s waiting for %2 to leave").arg(seconds(s.timeoutMs), user));
}

void ScenarioRunner::doWaitCommand(const ScenarioStep &s) {
  QString from;
  if (!expandTarget(s.user, "from", &from))
    return;
  const bool hasParam = s.hasParam;
  const QString param = m_vars.expand(s.param.toString());
  const QString what = QStringLiteral("%1 from %2%3")
                           .arg(commandnames::labelled(s.code),
                                from == QLatin1String("*") ? QStringLiteral("anyone") : from,
                                hasParam ? QStringLiteral(" with \"%1\"").arg(param) : QString());
  announce(QStringLiteral("wait for %1%2").arg(what, timeoutText(s)));
  const int code = s.code;
  const QString capture = s.capture;
  waitFor(s,
          [this, code, from, hasParam, param, capture]() -> QString {
            const std::optional<ReceivedCommand> c = m_class.takeCommand(code, from, hasParam ? &param : nullptr);
            if (!c)
              return QString();
            if (!capture.isEmpty())
              m_vars.set(capture, c->from);
            return QStringLiteral("%1 from %2%3").arg(commandnames::labelled(code), who(c->from), shown(code, c->param));
          },
          QStringLiteral("timed out after %1 s waiting for %2").arg(seconds(s.timeoutMs), what));
}

void ScenarioRunner::doPublish(const ScenarioStep &s) {
  if (m_publishers.contains(int(s.source))) {
    announce(QStringLiteral("publish %1").arg(sourceText(s.source)));
    return stepDone(QStringLiteral("already published"));
  }
  StreamPublisher *publisher = s.source == hubproto::Source::Screen
                                   ? StreamPublisher::screen(&m_session, m_setup.scenario.slide, s.fps, this)
                                   : StreamPublisher::camera(&m_session, s.fps, this);
  announce(QStringLiteral("publish %1 (%2×%3, %4 fps)")
               .arg(sourceText(s.source))
               .arg(publisher->size().width())
               .arg(publisher->size().height())
               .arg(publisher->fps()));
  const int token = m_token;
  const hubproto::Source source = s.source;
  m_session.publish(source, [this, token, source, publisher](int code, const QString &desc) {
    if (token != m_token || code != 0)
      delete publisher;
    if (token != m_token)
      return;
    if (code != 0)
      return stepFailed(QStringLiteral("the hub refused to publish: %1 %2").arg(code).arg(desc));
    m_publishers.insert(int(source), publisher);
    publisher->start();
    stepDone();
  });
}

void ScenarioRunner::doUnpublish(const ScenarioStep &s) {
  announce(QStringLiteral("stop publishing %1").arg(sourceText(s.source)));
  StreamPublisher *publisher = m_publishers.take(int(s.source));
  if (!publisher)
    return stepFailed(QStringLiteral("%1 is not published").arg(sourceText(s.source)));
  publisher->stop();
  publisher->deleteLater();
  const int token = m_token;
  m_session.unpublish(s.source, [this, token](int code, const QString &desc) {
    if (token != m_token)
      return;
    if (code != 0)
      return stepFailed(QStringLiteral("the hub refused: %1 %2").arg(code).arg(desc));
    stepDone();
  });
}

void ScenarioRunner::stopPublishers() {
  for (StreamPublisher *p : qAsConst(m_publishers)) {
    p->stop();
    p->deleteLater();
  }
  m_publishers.clear();
  // Classmates go with the teacher's streams: their connections close and the hub lets them out.
  qDeleteAll(m_classmates);
  m_classmates.clear();
}

void ScenarioRunner::doClassmate(const ScenarioStep &s) {
  announce(QStringLiteral("bring classmate %1 on stage with the test-pattern camera")
               .arg(s.phone.isEmpty() ? s.user : s.phone));
  if (!m_setup.signInClassmate)
    return stepFailed(QStringLiteral("this run has no way to sign a classmate in"));
  const int token = m_token;
  m_setup.signInClassmate(s, [this, token, s](const TeacherCredentials &credentials, const QString &problem) {
    if (token != m_token)
      return;
    if (!problem.isEmpty())
      return stepFailed(QStringLiteral("signing the classmate in: ") + problem);
    seatClassmate(s, credentials);
  });
}

void ScenarioRunner::seatClassmate(const ScenarioStep &s, const TeacherCredentials &credentials) {
  auto *mate = new Classmate(m_setup.transports, this);
  m_classmates.append(mate);
  m_stage.classmate(credentials.userId);
  const int token = m_token;
  const QString who = credentials.name.isEmpty() ? credentials.userId
                                                 : QStringLiteral("%1 (%2)").arg(credentials.userId, credentials.name);
  auto grant = [this](const QString &userId, TeacherSession::Done done) { m_session.grantStage(userId, done); };
  mate->join(credentials, m_setup.roomId, s.fps, grant, [this, token, who](const QString &problem) {
    if (token != m_token)
      return;
    if (!problem.isEmpty())
      return stepFailed(QStringLiteral("classmate %1: %2").arg(who, problem));
    stepDone(QStringLiteral("%1 is on stage, camera on").arg(who));
  });
}

// Stage commands go with the hub's stage grants: granted before a student is called up, so
// its role change is allowed; taken back after it was told to go down, so whatever it still
// publishes ends even if it does not listen.
void ScenarioRunner::sendStepCommand(const QString &to, int code, const QString &param) {
  const int token = m_token;
  const StageGrants::Action stage = StageGrants::actionFor(code);
  const QStringList targets = m_stage.targets(code, to, param, m_class.present());
  auto send = [this, token, to, code, param, stage, targets] {
    m_session.sendCommand(to, code, param, [this, token, to, code, param, stage, targets](int c, const QString &desc) {
      if (token != m_token)
        return;
      if (c != 0)
        return stepFailed(QStringLiteral("the hub refused %1: %2 %3").arg(commandnames::labelled(code)).arg(c).arg(desc));
      m_class.commandSent(to, code, param);
      if (stage != StageGrants::Action::Revoke)
        return stepDone();
      changeStage(targets, false, [this, token] {
        if (token == m_token)
          stepDone();
      });
    });
  };
  if (stage != StageGrants::Action::Grant)
    return send();
  changeStage(targets, true, [this, token, send] {
    if (token == m_token)
      send();
  });
}

void ScenarioRunner::changeStage(const QStringList &userIds, bool grant, std::function<void()> then) {
  if (userIds.isEmpty())
    return then();
  auto left = std::make_shared<int>(userIds.size());
  for (const QString &userId : userIds) {
    auto answered = [this, userId, grant, left, then](int code, const QString &desc) {
      if (code == 0 || code == hubproto::Already)
        grant ? m_stage.granted(userId) : m_stage.revoked(userId);
      else if (m_setup.warn)
        m_setup.warn(QStringLiteral("%1 the stage for %2: the hub answered %3 %4")
                         .arg(grant ? QStringLiteral("granting") : QStringLiteral("revoking"), userId)
                         .arg(code)
                         .arg(desc));
      if (--*left == 0)
        then();
    };
    grant ? m_session.grantStage(userId, answered) : m_session.revokeStage(userId, answered);
  }
}

void ScenarioRunner::doBoard(const ScenarioStep &s) {
  if (!m_session.isInRoom())
    return stepFailed(QStringLiteral("the whiteboard needs the teacher in the room"));
  if (!m_board) {
    m_board = std::make_unique<TeacherBoard>(m_session.userId(), m_session.roomId(), m_setup.previewUrl);
    connect(m_board.get(), &TeacherBoard::envelope, this, [this](const QByteArray &bytes) {
      m_session.sendWhiteboard(bytes, [this](int code, const QString &desc) {
        if (code != 0 && m_setup.warn)
          m_setup.warn(QStringLiteral("the hub refused whiteboard data: %1 %2").arg(code).arg(desc));
      });
    });
  }
  announce(s.summary());
  const int token = m_token;
  m_board->whenReady([this, s, token] {
    if (token == m_token)
      stepDone(m_board->play(s));
  });
}

void ScenarioRunner::doCommand(const ScenarioStep &s) {
  QString to;
  if (!expandTarget(s.target, "to", &to))
    return;
  const QString param = stepmessages::paramText(m_vars.expand(s.param));
  announce(QStringLiteral("send %1 to %2%3")
               .arg(commandnames::labelled(s.code), to.isEmpty() ? QStringLiteral("the class") : who(to))
               .arg(shown(s.code, param)));
  sendStepCommand(to, s.code, param);
}

void ScenarioRunner::doChat(const ScenarioStep &s) {
  const QString param = stepmessages::chatParam(stepmessages::chat(s, m_vars, teacherName()));
  announce(QStringLiteral("chat to the class:%1").arg(shown(kChat, param)));
  sendStepCommand(QString(), kChat, param);
}

void ScenarioRunner::doText(const ScenarioStep &s) {
  QString to;
  if (!expandTarget(s.target, "to", &to))
    return;
  const QString text = m_vars.expand(s.text);
  announce(QStringLiteral("send plain text to %1: \"%2\"").arg(to.isEmpty() ? QStringLiteral("the class") : who(to), text));
  const int token = m_token;
  m_session.sendText(to, text, [this, token](int code, const QString &desc) {
    if (token != m_token)
      return;
    if (code != 0)
      return stepFailed(QStringLiteral("the hub refused the text: %1 %2").arg(code).arg(desc));
    stepDone();
  });
}

void ScenarioRunner::doReward(const ScenarioStep &s) {
  QString to;
  if (!expandTarget(s.target, "to", &to))
    return;
  QString name = m_vars.expand(s.name);
  if (name.isEmpty())
    name = m_class.nameOf(to).isEmpty() ? to : m_class.nameOf(to);
  announce(QStringLiteral("reward %1 with %2 (type %3): %4 to the class")
               .arg(who(to))
               .arg(s.amount)
               .arg(s.rewardType, commandnames::labelled(kReward)));
  sendStepCommand(QString(), kReward, stepmessages::compact(stepmessages::reward(s, m_vars, to, name)));
}

void ScenarioRunner::doRoster(const ScenarioStep &s) {
  const QJsonArray data = s.hasRosterData ? m_vars.expand(QJsonValue(s.rosterData)).toArray() : m_class.rosterEntries();
  const int notifyId = m_class.nextNotifyId(s.notifyId);
  announce(QStringLiteral("send roster notice %1 with %2 entries: %3")
               .arg(notifyId)
               .arg(data.size())
               .arg(commandnames::labelled(kRosterNotice)));
  sendStepCommand(QString(), kRosterNotice, stepmessages::rosterParam(notifyId, data));
}

void ScenarioRunner::onCommand(const ReceivedCommand &c) {
  note(QStringLiteral("< %1: %2%3%4")
           .arg(who(c.from), commandnames::labelled(c.code), c.direct ? QStringLiteral(" to me") : QStringLiteral(" to the class"))
           .arg(shown(c.code, c.param)));
  m_class.commandReceived(c);
  if (c.code == kAnswerSnapshotCode && c.direct && m_setup.scenario.chatSnapshot)
    answerSnapshot(c.from);
  checkWaiter();
}

void ScenarioRunner::answerSnapshot(const QString &userId) {
  const QString param = stepmessages::compact(m_class.snapshotFor(userId));
  note(QStringLiteral("> %1 to %2: %3").arg(commandnames::labelled(kSnapshot), who(userId), param));
  m_session.sendCommand(userId, kSnapshot, param, [this, userId](int code, const QString &desc) {
    if (code != 0 && m_setup.warn)
      m_setup.warn(QStringLiteral("answering %1 failed: %2 %3").arg(userId).arg(code).arg(desc));
  });
}

void ScenarioRunner::onMemberEntered(const QString &userId) {
  m_class.memberEntered(userId);
  note(QStringLiteral("+ %1 entered the room").arg(who(userId)));
  checkWaiter();
}

void ScenarioRunner::onMemberLeft(const QString &userId) {
  m_class.memberLeft(userId);
  note(QStringLiteral("- %1 left the room").arg(who(userId)));
  checkWaiter();
}
