#include "teacher/teacherboard.h"

#include "sdk/board/boarditem.h"
#include "teacher/scenario.h"
#include "teacher/teacherboardlink.h"
#include "whiteboard/boardservice.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

namespace {

board::Tool toolNamed(const QString &name) {
  static const QList<QPair<QString, board::Tool>> tools{
      {QStringLiteral("pen"), board::ToolPen},         {QStringLiteral("line"), board::ToolLine},
      {QStringLiteral("ellipse"), board::ToolEllipse}, {QStringLiteral("rectangle"), board::ToolRectangle},
      {QStringLiteral("eraser"), board::ToolEraser},   {QStringLiteral("select"), board::ToolSelect}};
  for (const auto &t : tools)
    if (t.first == name)
      return t.second;
  return board::ToolNone;
}

void sendMouse(QWidget *view, QEvent::Type type, const QPoint &at, Qt::MouseButtons buttons) {
  QMouseEvent event(type, at, view->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
  QApplication::sendEvent(view, &event);
}

} // namespace

TeacherBoard::TeacherBoard(const QString &userId, quint32 roomId, const QString &previewUrl, QObject *parent)
    : QObject(parent) {
  BoardClassData data;
  data.userId = userId;
  data.roomId = 0; // the teacher starts the board: no history to load
  data.groupId = std::to_string(roomId);
  data.previewUrl = previewUrl;
  QPointer<TeacherBoard> self(this);
  auto link = std::make_unique<TeacherBoardLink>([self](const QByteArray &bytes) {
    QMetaObject::invokeMethod(self.data(), [self, bytes] {
      if (self)
        emit self->envelope(bytes);
    }, Qt::QueuedConnection);
  });
  service_ = std::make_unique<BoardService>(data, std::move(link));
  // Drawn at the canvas' own size, pointer positions are board positions.
  service_->renderWindow()->resize(board::kCanvasWidth, board::kCanvasHeight);
  service_->setListener(this);
  service_->getBoardData();
}

TeacherBoard::~TeacherBoard() {
  service_->setListener(nullptr);
  service_.reset();
}

void TeacherBoard::whenReady(std::function<void()> then) {
  if (ready_)
    then();
  else
    pending_.append(std::move(then));
}

void TeacherBoard::onRefreshBoardData(bool) {
  QMetaObject::invokeMethod(this, [this] {
    if (ready_)
      return;
    ready_ = true;
    const QList<std::function<void()>> waiting = pending_;
    pending_.clear();
    for (const auto &then : waiting)
      then();
  }, Qt::QueuedConnection);
}

void TeacherBoard::useTool(const QString &tool, quint32 color, int width, bool fill) {
  service_->setColor(color);
  service_->setWidth(uint32_t(width));
  service_->setFill(fill);
  service_->useTool(toolNamed(tool));
}

void TeacherBoard::draw(const QJsonArray &points) {
  QWidget *view = service_->renderWindow();
  QVector<QPoint> path;
  for (const QJsonValue &p : points)
    path.append(QPoint(p.toArray().at(0).toInt(), p.toArray().at(1).toInt()));
  if (path.isEmpty())
    return;
  sendMouse(view, QEvent::MouseButtonPress, path.first(), Qt::LeftButton);
  for (int i = 1; i < path.size(); ++i)
    sendMouse(view, QEvent::MouseMove, path[i], Qt::LeftButton);
  sendMouse(view, QEvent::MouseButtonRelease, path.last(), Qt::NoButton);
}

void TeacherBoard::addPage() { service_->addPage(); }
void TeacherBoard::addDocument(const QString &file, int pages) { service_->addDocument(file, unsigned(pages)); }
void TeacherBoard::gotoPage(int page) { service_->gotoPage(page); }
void TeacherBoard::undo() { service_->undo(); }
void TeacherBoard::clear() { service_->clear(); }
unsigned TeacherBoard::currentPage() const { return service_->currentPage(); }
unsigned TeacherBoard::pageCount() const { return service_->pageCount(); }

QString TeacherBoard::play(const ScenarioStep &step) {
  switch (step.kind) {
  case StepKind::BoardTool: useTool(step.text, step.color, step.width, step.fill); break;
  case StepKind::BoardDraw: draw(step.points); break;
  case StepKind::BoardPage: addPage(); break;
  case StepKind::BoardDocument: addDocument(step.text, step.pages); break;
  case StepKind::BoardGoto: gotoPage(step.page); break;
  case StepKind::BoardUndo: undo(); break;
  case StepKind::BoardClear: clear(); break;
  default: break;
  }
  return QStringLiteral("board page %1 / %2").arg(currentPage()).arg(pageCount());
}
