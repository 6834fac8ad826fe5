// Shows the classroom widgets in a stand-in classroom window, for looking at them by eye:
//   classroom_widgets_gallery off|mic|stage|paused|camera-off|hand|slider|packet|packet-open [amount]
// The stage names put the stage control into that state (with its bubble); "packet" pops a
// red packet, "packet-open" pops one and clicks it open.

#include "classroom_widgets/qtlivetoolbar.h"
#include "classroom_widgets/qtredpacket.h"
#include "classroom_widgets/qtsuperbutton.h"
#include "widgets/housefont.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

void stage(QtSuperButton *sb, const QString &what) {
  if (what == QLatin1String("mic")) sb->onMic();
  if (what == QLatin1String("stage")) {
    sb->onStage();
    sb->onMic();
  }
  if (what == QLatin1String("paused")) {
    sb->onStage();
    sb->offMic();
  }
  if (what == QLatin1String("camera-off")) {
    sb->onStage();
    sb->offCamera();
  }
  if (what == QLatin1String("off")) {
    sb->onMic();
    sb->offMic();
  }
  if (what == QLatin1String("hand")) {
    sb->onStage();
    sb->btnCircleClicked();
  }
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  housefont::install();
  const QString what = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("stage");
  const int amount = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 20;

  QWidget window;
  window.setWindowTitle(QStringLiteral("在线课堂"));
  window.setStyleSheet(QStringLiteral("QWidget#stageArea { background: #2B2F36; }"));
  auto *layout = new QVBoxLayout(&window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto *area = new QLabel(QStringLiteral("白板 / 老师画面"), &window);
  area->setObjectName(QStringLiteral("stageArea"));
  area->setAlignment(Qt::AlignCenter);
  area->setStyleSheet(QStringLiteral("color: #8A909A; font: 20px;"));
  layout->addWidget(area, 1);
  auto *bar = new QtLiveToolBar(&window);
  layout->addWidget(bar);
  window.resize(849, 600);
  window.move(60, 40);
  window.show();

  QTimer::singleShot(300, [&] {
    if (what.startsWith(QLatin1String("packet"))) {
      auto *packet = new QtRedPacket(&window);
      packet->setAmount(amount);
      packet->show();
      if (what == QLatin1String("packet-open")) packet->onButtonClicked();
    } else if (what == QLatin1String("slider")) {
      bar->sliderSpeakerShow();
    } else {
      stage(bar->superButton(), what);
    }
  });
  return app.exec();
}
