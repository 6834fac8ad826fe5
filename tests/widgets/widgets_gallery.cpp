// Shows the common widgets on a plain desktop so that they can be looked at (and captured)
// under an X server: an information box, a yes/no question and a settings-style pop-up.
//   widgets_gallery [seconds]   quits after the given time (default: runs until closed)

#include "widgets/popwindow.h"
#include "widgets/qdialogprogress.h"
#include "widgets/qtbackimagebutton.h"
#include "widgets/qtimagebutton2.h"
#include "widgets/qtmessagebox.h"
#include "widgets/qtmybutton.h"
#include "widgets/qtpopslider.h"
#include "widgets/qtmyslider.h"
#include "widgets/qtreloadbutton.h"
#include "widgets/qtrotatewidget.h"
#include "widgets/qprogressindicator.h"

#include <QApplication>
#include <QLineEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

class Desktop : public QWidget {
public:
  Desktop() { setWindowFlags(Qt::FramelessWindowHint); }

protected:
  void paintEvent(QPaintEvent *) override {
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(0xE9, 0xEC, 0xF1));
    g.setColorAt(1, QColor(0xD5, 0xDA, 0xE2));
    p.fillRect(rect(), g);
  }
};

class SettingsDemo : public PopWindow {
public:
  SettingsDemo() {
    setTitle(QStringLiteral("参数设置"));
    setFixedSize(490, 400);
    auto *content = new QWidget(this);
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(40, 24, 40, 24);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(18);
    const QString labelStyle = QStringLiteral("color: rgb(102, 102, 102); font: 14px \"微软雅黑\";");
    auto addRow = [&](int row, const QString &text, QWidget *w) {
      auto *label = new QLabel(text, content);
      label->setStyleSheet(labelStyle);
      grid->addWidget(label, row, 0);
      grid->addWidget(w, row, 1);
    };
    content->setStyleSheet(QStringLiteral(
        "QLineEdit { border: 1px solid #E7E7E7; border-radius: 4px; padding: 0 8px; min-height: 30px;"
        " color: rgb(51, 51, 51); font: 13px \"微软雅黑\"; }"));
    auto *mic = new QLineEdit(QStringLiteral("默认麦克风"), content);
    mic->setReadOnly(true);
    addRow(0, QStringLiteral("麦克风"), mic);
    auto *vol = new QtMySlider(content);
    vol->setValue(60);
    addRow(1, QStringLiteral("麦克风音量"), vol);
    auto *speaker = new QLineEdit(QStringLiteral("默认扬声器"), content);
    speaker->setReadOnly(true);
    addRow(2, QStringLiteral("扬声器"), speaker);
    auto *svol = new QtMySlider(content);
    svol->setValue(35);
    addRow(3, QStringLiteral("扬声器音量"), svol);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *test = new QtBackImageButton(QStringLiteral("yellow_button"), content);
    test->setFixedSize(110, 36);
    test->setCaptionText(QStringLiteral("测试"));
    auto *stop = new QtBackImageButton(QStringLiteral("gray_button"), content);
    stop->setFixedSize(110, 36);
    stop->setCaptionText(QStringLiteral("停止"));
    stop->setEnabled(false);
    buttons->addWidget(test);
    buttons->addSpacing(20);
    buttons->addWidget(stop);
    buttons->addStretch();
    grid->addLayout(buttons, 4, 0, 1, 2);

    mainLayout()->addWidget(content, 1);
  }
};

// A strip in the colour of the portal's title bar with its small widgets.
QWidget *titleStrip(QWidget *desktop) {
  auto *strip = new QWidget(desktop);
  strip->setAttribute(Qt::WA_StyledBackground);
  strip->setStyleSheet(QStringLiteral("background-color: rgb(255, 220, 0);"));
  strip->setGeometry(0, 0, desktop->width(), 50);
  auto *row = new QHBoxLayout(strip);
  row->setContentsMargins(20, 0, 20, 0);
  row->setSpacing(14);
  auto *reload = new QtReloadButton(strip);
  reload->setToolTip(QStringLiteral("刷新"));
  reload->startAnimation();
  auto *still = new QtReloadButton(strip);
  auto *spinner = new QtRotateWidget(strip);
  spinner->setFixedSize(25, 25);
  auto *indicator = new QProgressIndicator(strip);
  indicator->setColor(QColor(0x33, 0x33, 0x33));
  indicator->startAnimation();
  auto *avatar = new QtMyButton(strip);
  avatar->setFixedSize(36, 36);
  for (QWidget *w : std::initializer_list<QWidget *>{reload, still, spinner, indicator}) row->addWidget(w);
  row->addStretch();
  row->addWidget(avatar);
  return strip;
}

void showPopups(QWidget *desktop) {
  QtMessageBox *info = QtMessageBox::information(
      desktop, QStringLiteral("错误"),
      QStringLiteral("错误码:   10004\n错误信息: 网络连接失败，请检查网络后重试"));
  info->move(80, 120);
  auto *question = new QtMessageBox(desktop, QStringLiteral("确认"),
                                    QStringLiteral("确认要离开教室吗？"), QtMessageBox::Question);
  question->setModal(false);
  question->move(580, 120);
  question->show();
  auto *settings = new SettingsDemo;
  settings->setParent(desktop, settings->windowFlags());
  settings->move(1060, 120);
  settings->show();
  QDialogProgress *progress = QDialogProgress::instance();
  progress->on_showProgress(QStringLiteral("正在上传文件"), 42);
  progress->move(660, 480);
  auto *slider = new QtPopSlider(desktop);
  slider->setFixedSize(46, 121);
  slider->setValue(70);
  slider->move(560, 470);
  slider->show();
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  Desktop desktop;
  desktop.setGeometry(QGuiApplication::primaryScreen()->geometry());
  titleStrip(&desktop);
  desktop.show();
  // The pop-ups come once the desktop has been drawn, as they would on a real screen.
  QTimer::singleShot(300, &desktop, [&desktop] { showPopups(&desktop); });
  if (argc > 1) {
    const int ms = int(QString::fromLocal8Bit(argv[1]).toDouble() * 1000);
    QTimer::singleShot(ms, &app, &QApplication::quit);
  }
  return app.exec();
}
