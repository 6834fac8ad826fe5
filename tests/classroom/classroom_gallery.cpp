// Shows the classroom window in a real class on an in-process hub, for looking at it by eye:
//   classroom_gallery waiting|seated|stage|packet [seconds [screenshot.png]]
// "waiting": the teacher is not in the room yet; "seated": in class, listening, with some chat
// and members; "stage": called on stage with the camera by the teacher (bubble up); "packet": a
// reward arrives. With a file name the whole screen is saved there once the state is reached
// (bubbles and pop-ups included) and the program ends.

#include "classfixture.h"

#include "classroom/classchat.h"
#include "widgets/housefont.h"

#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace classtest;

namespace {

void seatWithChat(ClassWorld &world) {
  world.backend.answer(
      "live-service/room_user",
      FakeBackend::ok({{"idlist", QJsonArray{
          QJsonObject{{"uid", kTeacherId}, {"name", "王老师"}, {"role", "1"}, {"sort", 1}},
          QJsonObject{{"uid", kStudentId}, {"name", kStudentName}, {"role", "0"}, {"sort", 10}},
          QJsonObject{{"uid", "stu_1002"}, {"name", "张小红"}, {"role", "0"}, {"sort", 9}},
          QJsonObject{{"uid", "stu_1003"}, {"name", "赵一鸣(离线)"}, {"role", "0"}, {"sort", 100}}}}}));
  world.enter();
  QTest::qWait(300);
  world.teacherSays(ClassCommandCode::MemberEntered, QStringLiteral("张小红"), true);
  world.teacherSays(ClassCommandCode::Chat, QStringLiteral(R"({"name":"王老师","type":"message","contents":[{"type":"text","value":"同学们好，今天我们复习分数的加减法。"}]})"), true);
  world.teacherSays(ClassCommandCode::Chat, QStringLiteral(R"({"name":"张小红","type":"message","contents":[{"type":"text","value":"老师好！"},{"type":"face","value":"012"}]})"), true);
  QTest::qWait(300);
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  housefont::install();
  const QString what = argc > 1 ? QString::fromLatin1(argv[1]) : QStringLiteral("seated");
  const int seconds = argc > 2 ? QString::fromLatin1(argv[2]).toInt() : 8;

  const QString shot = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();

  ClassWorld world;
  if (what == QLatin1String("waiting")) {
    world.backend.answer("live-service/teacher_in_room", FakeBackend::ok({{"result", "false"}}));
    world.open()->onBtnLogin();
  } else {
    seatWithChat(world);
    if (what == QLatin1String("stage")) {
      world.teacherSays(ClassCommandCode::CameraRequest, QString());
      world.waitStatus(3);
    } else if (what == QLatin1String("packet")) {
      world.teacherSays(ClassCommandCode::Reward, QStringLiteral(
          R"({"type":"101","amount":20,"receiver":"stu_1001","receiver_name":"李小明",)"
          R"("message":"老师给[receiver_name]发了一个红包","memo":""})"), true);
    }
  }
  if (world.window)
    world.window->move(0, 0);
  if (!shot.isEmpty()) {
    QTest::qWait(seconds * 1000);
    QGuiApplication::primaryScreen()->grabWindow(0).copy(0, 0, 1434, 829).save(shot);
    return 0;
  }
  QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
  return app.exec();
}
