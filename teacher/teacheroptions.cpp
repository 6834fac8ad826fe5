#include "teacher/teacheroptions.h"

#include <QCommandLineParser>

namespace {

const QString kUsage = QStringLiteral(
    "usage: tarnwick-teacher --scenario FILE [--room N] [--hub URL]\n"
    "                        (--phone P --password W [--service URL] | --secret S --user ID [--name N])\n"
    "                        [--check]\n"
    "       tarnwick-teacher --console [--service URL] [--hub URL] [--phone P --password W]\n"
    "\n"
    "Plays a class's teacher as the scenario FILE says (format: docs/teacher.md).\n"
    "  --console        open the teacher console instead, a window in which a person teaches\n"
    "                   the class (tarnwick-teacher --console --help lists its options)\n"
    "  --scenario FILE  the scenario to follow\n"
    "  --room N         the class's room number (else the scenario's \"room\")\n"
    "  --hub URL        the class hub (default: the one the service names, else the deployment's)\n"
    "  --service URL    the class service to sign in with (default: the deployment's backend)\n"
    "  --phone P        the teacher's phone number, with --password: sign in through the service\n"
    "  --password W\n"
    "  --secret S       the service's secret (else $TARNWICK_LOCAL_SECRET): sign locally as --user\n"
    "  --user ID        the teacher's user id, with --secret\n"
    "  --name N         the teacher's display name, with --secret (default: the user id)\n"
    "  --check          read and check the scenario, list its steps, connect to nothing\n"
    "Exit status: 0 done, 1 bad command line or scenario, 2 sign-in failed, 3 a step failed or\n"
    "timed out, 4 the hub connection was lost, 5 stopped by a signal.\n");

} // namespace

QString TeacherOptions::helpText() { return kUsage; }

bool TeacherOptions::parse(const QStringList &arguments, QString *error) {
  QCommandLineParser parser;
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption scenario(QStringLiteral("scenario"), QString(), QStringLiteral("file"));
  const QCommandLineOption room(QStringLiteral("room"), QString(), QStringLiteral("n"));
  const QCommandLineOption hub(QStringLiteral("hub"), QString(), QStringLiteral("url"));
  const QCommandLineOption service(QStringLiteral("service"), QString(), QStringLiteral("url"));
  const QCommandLineOption phoneOpt(QStringLiteral("phone"), QString(), QStringLiteral("p"));
  const QCommandLineOption passwordOpt(QStringLiteral("password"), QString(), QStringLiteral("w"));
  const QCommandLineOption secretOpt(QStringLiteral("secret"), QString(), QStringLiteral("s"));
  const QCommandLineOption user(QStringLiteral("user"), QString(), QStringLiteral("id"));
  const QCommandLineOption nameOpt(QStringLiteral("name"), QString(), QStringLiteral("n"));
  const QCommandLineOption check(QStringLiteral("check"));
  const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
  parser.addOptions({scenario, room, hub, service, phoneOpt, passwordOpt, secretOpt, user, nameOpt, check, help});
  if (!parser.parse(arguments)) {
    *error = parser.errorText();
    return false;
  }
  if (parser.isSet(help)) {
    helpRequested = true;
    return true;
  }
  if (!parser.positionalArguments().isEmpty()) {
    *error = QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first());
    return false;
  }
  scenarioPath = parser.value(scenario);
  hubUrl = parser.value(hub);
  serviceUrl = parser.value(service);
  phone = parser.value(phoneOpt);
  password = parser.value(passwordOpt);
  userId = parser.value(user);
  name = parser.value(nameOpt);
  checkOnly = parser.isSet(check);
  secret = parser.isSet(secretOpt) ? parser.value(secretOpt).toUtf8() : qgetenv("TARNWICK_LOCAL_SECRET");
  if (parser.isSet(room)) {
    bool ok = false;
    const qulonglong n = parser.value(room).toULongLong(&ok);
    if (!ok || n == 0 || n > 0xFFFFFFFFull) {
      *error = QStringLiteral("--room must be a room number from 1 to 4294967295, not \"%1\"").arg(parser.value(room));
      return false;
    }
    roomId = static_cast<quint32>(n);
  }
  if (scenarioPath.isEmpty()) {
    *error = QStringLiteral("--scenario is missing: name the scenario file to follow");
    return false;
  }
  if (checkOnly)
    return true;
  if (!phone.isEmpty() && password.isEmpty()) {
    *error = QStringLiteral("--phone needs --password");
    return false;
  }
  if (phone.isEmpty() && (secret.isEmpty() || userId.isEmpty())) {
    *error = QStringLiteral("say how the teacher signs in: --phone and --password through the class service, "
                            "or --secret (or $TARNWICK_LOCAL_SECRET) and --user to sign locally");
    return false;
  }
  return true;
}
