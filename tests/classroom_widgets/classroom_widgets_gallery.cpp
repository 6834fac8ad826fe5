// Shows the classroom widgets in a stand-in classroom window, for looking at them by eye:
//   classroom_widgets_gallery off|mic|stage|paused|camera-off|hand|slider|packet|packet-open [amount]
//   classroom_widgets_gallery settings|settings-about|name-error
// The stage names put the stage control into that state (with its bubble); "packet" pops a
// red packet, "packet-open" pops one and clicks it open; "settings" opens the settings dialog
// on a page, "name-error" the class-name editor refusing a name.

#include "classroom_widgets/qtlivetoolbar.h"
#include "classroom_widgets/qtnameeditor.h"
#include "classroom_widgets/qtnameeditorview.h"
#include "classroom_widgets/qtsetting.h"
#include "classroom_widgets/qtsettingview.h"
#include "classroom_widgets/settinghost.h"
#include "widgets/qtbackimagebutton.h"
#include "classroom_widgets/qtredpacket.h"
#include "classroom_widgets/qtsuperbutton.h"
#include "widgets/housefont.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
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

// Devices and stored choices of a typical machine; the operations go nowhere.
class GalleryHost : public SettingHost {
public:
  void loadSetting() override {}
  QVariantMap currentSettings() const override {
    return {{"mic", 0}, {"speaker", 1}, {"camera_index", 0}, {"mic_vol", 80}, {"speaker_vol", 65},
            {"disable_camera", 0}, {"hide_up", 0}};
  }
  QStringList cameraNames() const override { return {QStringLiteral("USB2.0 HD UVC WebCam")}; }
  QStringList micNames() const override { return {QStringLiteral("麦克风 (Realtek High Definition Audio)")}; }
  QStringList speakerNames() const override {
    return {QStringLiteral("扬声器 (Realtek High Definition Audio)"), QStringLiteral("耳机 (USB Audio)")};
  }
  QString programVersion() const override { return QStringLiteral("3.7.5"); }
  void micTest(int, int, int, int) override {}
  void stopMicTest() override {}
  void speakerTest(int, int) override {}
  void stopSpeakerTest() override {}
  void setMic(int, int) override {}
  void setMicVol(int, int) override {}
  void setSpeaker(int, int) override {}
  void setSpeakerVol(int, int) override {}
  void setCamera(int) override {}
  void setDisableCamera(bool) override {}
  void setHideUp(bool) override {}
  void checkVersionAsked() override {}
};

void popDialog(QWidget *window, const QString &what) {
  static GalleryHost host;
  if (what.startsWith(QLatin1String("settings"))) {
    auto *dialog = new QtSetting(&host, window);
    dialog->show();
    if (what == QLatin1String("settings-about")) {
      dialog->findChild<QtBackImageButton *>(QStringLiteral("btnAbout"))->click();
      dialog->findChild<QtBackImageButton *>(QStringLiteral("btnCheckVersion"))->click();
      dialog->view()->versionCheck(true, QString());
    }
    return;
  }
  auto *editor = new QtNameEditor(window);
  editor->setName(QStringLiteral("012李四"));
  editor->show();
  editor->findChild<QLineEdit *>(QStringLiteral("txtName"))->setText(QStringLiteral("2班李四"));
  editor->findChild<QtBackImageButton *>(QStringLiteral("btnOK"))->click();
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
    } else if (what.startsWith(QLatin1String("settings")) || what == QLatin1String("name-error")) {
      popDialog(&window, what);
    } else if (what == QLatin1String("slider")) {
      bar->sliderSpeakerShow();
    } else {
      stage(bar->superButton(), what);
    }
  });
  return app.exec();
}
