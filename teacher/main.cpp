// tarnwick-teacher: plays a class's teacher from a scenario file, on the class hub.
#include "core/deployment.h"
#include "protocol/protocol.h"
#include "sdk/net/hubtransport.h"
#include "teacher/console/consolemain.h"
#include "teacher/scenarioreader.h"
#include "teacher/scenariorunner.h"
#include "teacher/servicesignin.h"
#include "teacher/stopsignal.h"
#include "teacher/teacheroptions.h"

#include <QApplication>

#include <cstdio>
#include <memory>

namespace {

void printTo(FILE *stream, const QString &line) {
  std::fputs(line.toUtf8().constData(), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

void say(const QString &line) { printTo(stdout, line); }
void complain(const QString &line) { printTo(stderr, QStringLiteral("tarnwick-teacher: ") + line); }

void listSteps(const Scenario &scenario, quint32 roomId) {
  say(QStringLiteral("scenario \"%1\" for room %2: %3 steps, all well formed")
          .arg(scenario.name, roomId ? QString::number(roomId) : QStringLiteral("(given with --room)"))
          .arg(scenario.steps.size()));
  for (const ScenarioStep &s : scenario.steps)
    say(QStringLiteral("  %1. %2").arg(s.number).arg(s.summary()));
}

} // namespace

int main(int argc, char *argv[]) {
  if (consolemain::wanted(argc, argv)) {
    consolemain::prepare();
    QApplication app(argc, argv);
    return consolemain::run(app.arguments());
  }
  // A console program: the slide's texts and the whiteboard's (unshown) render window need
  // the widget module, not a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  TeacherOptions options;
  QString error;
  if (!options.parse(app.arguments(), &error)) {
    complain(error);
    printTo(stderr, QStringLiteral("\n") + TeacherOptions::helpText());
    return ScenarioRunner::BadInput;
  }
  if (options.helpRequested) {
    say(TeacherOptions::helpText());
    return ScenarioRunner::Completed;
  }
  Scenario scenario;
  if (!ScenarioReader::readFile(options.scenarioPath, &scenario, &error)) {
    complain(error);
    return ScenarioRunner::BadInput;
  }
  const quint32 roomId = options.roomId ? options.roomId : scenario.roomId;
  if (options.checkOnly) {
    listSteps(scenario, roomId);
    return ScenarioRunner::Completed;
  }
  if (roomId == 0) {
    complain(QStringLiteral("no room: give --room or a \"room\" in the scenario"));
    return ScenarioRunner::BadInput;
  }

  RunnerSetup setup;
  setup.scenario = scenario;
  setup.roomId = roomId;
  setup.print = say;
  setup.warn = complain;
  const QString serviceUrl = options.serviceUrl.isEmpty() ? Deployment::instance().backendUrl : options.serviceUrl;
  setup.signInClassmate = [&options, serviceUrl, roomId](const ScenarioStep &s, RunnerSetup::ClassmateSignedIn done) {
    if (s.phone.isEmpty())
      return done(TeacherCredentials::signedLocally(options.secret, s.user, s.name.isEmpty() ? s.user : s.name,
                                                    roomId, QLatin1String(hubproto::kRoleGuest)),
                  options.secret.isEmpty() ? QStringLiteral("signing a classmate locally needs the service's secret")
                                           : QString());
    auto *signIn = new ServiceSignIn(QCoreApplication::instance());
    QObject::connect(signIn, &ServiceSignIn::finished, signIn,
                     [signIn, done](const TeacherCredentials &credentials, const QString &problem) {
                       signIn->deleteLater();
                       done(credentials, problem);
                     });
    signIn->start(serviceUrl, s.phone, s.password, roomId, ServiceSignIn::kStageRole);
  };
  setup.previewUrl = Deployment::instance().previewUrl;

  std::unique_ptr<ScenarioRunner> runner;
  auto run = [&](const TeacherCredentials &credentials) {
    // The command line first, then what the service said, then the deployment.
    QString hubUrl = options.hubUrl.isEmpty() ? credentials.hubUrl : options.hubUrl;
    if (hubUrl.isEmpty())
      hubUrl = Deployment::instance().hubUrl;
    setup.transports = [hubUrl] { return sdk::createHubTransport(hubUrl); };
    setup.credentials = credentials;
    runner = std::make_unique<ScenarioRunner>(setup);
    QObject::connect(runner.get(), &ScenarioRunner::finished, &app, [](int code) { QCoreApplication::exit(code); });
    runner->start();
  };

  StopSignal stop;
  QObject::connect(&stop, &StopSignal::stopRequested, &app, [&runner](int) {
    if (runner)
      runner->interrupt();
    else
      QCoreApplication::exit(ScenarioRunner::Interrupted);
  });

  ServiceSignIn signIn;
  if (options.signsInThroughService()) {
    say(QStringLiteral("signing in at %1 as %2").arg(serviceUrl, options.phone));
    QObject::connect(&signIn, &ServiceSignIn::finished, &app,
                     [&run](const TeacherCredentials &credentials, const QString &problem) {
                       if (!problem.isEmpty()) {
                         complain(problem);
                         QCoreApplication::exit(ScenarioRunner::SignInFailed);
                         return;
                       }
                       run(credentials);
                     });
    signIn.start(serviceUrl, options.phone, options.password, roomId);
  } else {
    run(TeacherCredentials::signedLocally(options.secret, options.userId,
                                          options.name.isEmpty() ? options.userId : options.name, roomId,
                                          QLatin1String(hubproto::kRoleLiveMaster)));
  }
  return app.exec();
}
