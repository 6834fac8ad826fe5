#include "teacherrun.h"

#include "support/inprocesstransport.h"
#include "teacher/scenarioreader.h"

#include <QRegularExpression>
#include <QtTest>

const QByteArray kTeacherTestSecret = QByteArrayLiteral("secret of the teacher tests");

bool TeacherRun::start(Hub *hub, const QByteArray &json, const QByteArray &secret) {
  RunnerSetup setup;
  if (!ScenarioReader::read(json, &setup.scenario, &error))
    return false;
  setup.credentials = TeacherCredentials::signedLocally(secret, QStringLiteral("t1"), QStringLiteral("周老师"),
                                                        kTeacherTestRoom, QLatin1String(hubproto::kRoleLiveMaster));
  setup.roomId = kTeacherTestRoom;
  setup.previewUrl = previewUrl;
  setup.transports = [hub] { return std::make_unique<sdk::InProcessTransport>(hub); };
  setup.signInClassmate = [secret](const ScenarioStep &s, RunnerSetup::ClassmateSignedIn done) {
    done(TeacherCredentials::signedLocally(secret, s.user, s.name, kTeacherTestRoom, QLatin1String(hubproto::kRoleGuest)),
         QString());
  };
  setup.print = [this](const QString &line) { lines.append(line); };
  setup.warn = [this](const QString &line) { warnings.append(line); };
  runner = std::make_unique<ScenarioRunner>(setup);
  runner->start();
  return true;
}

bool TeacherRun::waitFinished(int ms) {
  return QTest::qWaitFor([this] { return runner->isFinished(); }, ms);
}

QStringList TeacherRun::stepLines() const {
  static const QRegularExpression step(QStringLiteral("\\[\\s*\\d+/\\d+\\] "));
  return lines.filter(step);
}

bool TeacherRun::printed(const QString &part) const {
  for (const QString &line : lines)
    if (line.contains(part))
      return true;
  return false;
}
