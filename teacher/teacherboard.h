#pragma once
// The scripted teacher's whiteboard: a board service over the board library in interactive
// mode, drawn on through pointer drags on its (unshown) render window, whose action data goes
// out as whiteboard envelopes on the teacher's own hub connection. Lives on one thread.

#include "whiteboard/boardservicecallback.h"

#include <QByteArray>
#include <QJsonArray>
#include <QList>
#include <QObject>

#include <functional>
#include <memory>

class BoardService;
struct ScenarioStep;

class TeacherBoard : public QObject, public BoardServiceCallback {
  Q_OBJECT
public:
  TeacherBoard(const QString &userId, quint32 roomId, const QString &previewUrl, QObject *parent = nullptr);
  ~TeacherBoard() override;

  // Runs then once the board has its first page (at once when it has).
  void whenReady(std::function<void()> then);

  // tool: "pen", "line", "ellipse", "rectangle", "eraser" or "select".
  void useTool(const QString &tool, quint32 color, int width, bool fill);
  // points: [x, y] pairs on the board's 1600 x 900 canvas.
  void draw(const QJsonArray &points);
  void addPage();
  void addDocument(const QString &file, int pages);
  void gotoPage(int page);
  void undo();
  void clear();
  // Runs one whiteboard step of a scenario; returns what the page panel now shows.
  QString play(const ScenarioStep &step);
  unsigned currentPage() const;
  unsigned pageCount() const;

  void onRefreshBoardData(bool result) override;
  void onStatusChanged(bool, bool, bool, bool) override {}

signals:
  // One whiteboard envelope to send to the class group, in order.
  void envelope(const QByteArray &bytes);

private:
  std::unique_ptr<BoardService> service_;
  bool ready_ = false;
  QList<std::function<void()>> pending_;
};
