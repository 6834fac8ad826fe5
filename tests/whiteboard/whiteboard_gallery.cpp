// Draws on the teacher's (interactive) whiteboard window and saves pictures of it for looking
// at: the board with its tool and page panels, and with the colour and shape panels open.
//   whiteboard_gallery [folder]   (default: the current folder)

#include "../board/boarddriver.h"

#include "whiteboard/boardservice.h"
#include "whiteboard/qwindowwhiteboard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QTimer>

namespace {
void settle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}
} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
  BoardClassData data;
  data.userId = QStringLiteral("t20001");
  QWindowWhiteBoard window(nullptr, data);
  window.resize(960, 540);
  window.show();
  settle(300);
  QWidget *view = window.boardService()->renderWindow();
  boarddriver::drag(view, {{200, 380}, {300, 300}, {420, 220}, {560, 120}});
  window.findChild<QAbstractButton *>("btnShape")->click();
  window.findChild<QAbstractButton *>("btnEllipseFill")->click();
  boarddriver::drag(view, {{600, 200}, {760, 300}});
  window.findChild<QAbstractButton *>("btnAddPage")->click();
  window.findChild<QAbstractButton *>("btnLastPage")->click();
  settle(300);
  window.grab().save(folder + QStringLiteral("/whiteboard-teacher.png"));
  window.findChild<QCheckBox *>("chkColorPick")->setChecked(true);
  settle(200);
  window.grab().save(folder + QStringLiteral("/whiteboard-colors.png"));
  return 0;
}
