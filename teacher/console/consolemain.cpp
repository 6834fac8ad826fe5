#include "teacher/console/consolemain.h"

#include "teacher/console/consolewindow.h"
#include "teacher/console/signinpage.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <cstring>

namespace consolemain {

namespace {
const char kSwitch[] = "--console";
constexpr int kBadCommandLine = 1;
} // namespace

bool wanted(int argc, char *argv[]) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], kSwitch) == 0)
      return true;
  return false;
}

void prepare() {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  // The chat page needs no debugging port; one would let any local process drive the
  // teacher's signed-in class.
  qunsetenv("QTWEBENGINE_REMOTE_DEBUGGING");
}

int run(const QStringList &arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("The teacher console: teach a class of students running the client."));
  parser.addHelpOption();
  const QCommandLineOption console(QStringLiteral("console"), QStringLiteral("open the teacher console"));
  const QCommandLineOption service(QStringLiteral("service"), QStringLiteral("the class service (default: the deployment's backend)"),
                                   QStringLiteral("URL"));
  const QCommandLineOption hub(QStringLiteral("hub"), QStringLiteral("the class hub (default: what the service says)"),
                               QStringLiteral("URL"));
  const QCommandLineOption phone(QStringLiteral("phone"), QStringLiteral("the teacher's phone (default: the demo teacher)"),
                                 QStringLiteral("P"));
  const QCommandLineOption password(QStringLiteral("password"), QStringLiteral("the teacher's password"), QStringLiteral("W"));
  parser.addOptions({console, service, hub, phone, password});
  if (!parser.parse(arguments)) {
    std::fprintf(stderr, "tarnwick-teacher: %s\n", qUtf8Printable(parser.errorText()));
    return kBadCommandLine;
  }
  if (parser.isSet(QStringLiteral("help"))) {
    std::fputs(qUtf8Printable(parser.helpText()), stdout);
    return 0;
  }
  ConsoleSetup setup = ConsoleSetup::fromDeployment();
  if (parser.isSet(service))
    setup.serviceUrl = parser.value(service);
  setup.hubUrl = parser.value(hub);
  ConsoleWindow window(setup);
  if (parser.isSet(phone))
    window.signInPage()->setAccount(parser.value(phone), parser.value(password));
  window.show();
  return QApplication::exec();
}

} // namespace consolemain
