#pragma once
// The console while a class runs: a bar of class-wide controls (discussion, display, camera,
// screen, microphone, end of class), the self-view and the on-stage students' tiles, the
// whiteboard in interactive mode, and beside it the roster and the discussion.

#include "teacher/console/teacherservice.h"

#include <QWidget>

class ConsoleChat;
class ConsoleClass;
class ConsoleMedia;
class QLabel;
class QMenu;
class QPushButton;
class QWidgetVideoRender;
class QWindowWhiteBoard;
class RosterPanel;
class StudentTiles;

class ClassPage : public QWidget {
  Q_OBJECT
public:
  static constexpr int kSideWidth = 380;
  static constexpr int kSelfViewWidth = 240;
  static constexpr int kSelfViewHeight = 180;

  // title: what the bar shows (course and lesson).
  ClassPage(ConsoleClass *klass, const QString &title, const QString &chatPageUrl, const QString &previewUrl,
            QWidget *parent = nullptr);
  ~ClassPage() override;

  ConsoleMedia *media() const { return m_media; }
  RosterPanel *roster() const { return m_roster; }
  ConsoleChat *chat() const { return m_chat; }
  StudentTiles *tiles() const { return m_tiles; }
  QWindowWhiteBoard *whiteboard() const { return m_board; }
  QWidgetVideoRender *selfView() const { return m_selfView; }

  // What the whiteboard's upload button offers; a choice adds that document to the board.
  void setDocuments(const QList<LessonDocument> &documents);
  QMenu *documentMenu() const { return m_documents; }

public slots:
  // A line over the class page for a few seconds.
  void showProblem(const QString &what);
  // While the link to the class is being brought back, the notice says so and stays.
  void showReconnecting(bool on);

private:
  QWidget *makeBar(const QString &title);
  QWidget *makeStage();
  QPushButton *toggle(const char *objectName, const QString &text);
  void makeWhiteboard(const QString &previewUrl);
  void onDisplayChosen(bool whiteboard);
  void onDiscussionToggled(bool closed);
  void onMicrophoneToggled(bool on);

  ConsoleClass *m_class;
  ConsoleMedia *m_media;
  RosterPanel *m_roster = nullptr;
  ConsoleChat *m_chat = nullptr;
  StudentTiles *m_tiles = nullptr;
  QWindowWhiteBoard *m_board = nullptr;
  QWidgetVideoRender *m_selfView = nullptr;
  QLabel *m_notice = nullptr;
  QLabel *m_cameraOff = nullptr; // over the self-view while the camera is off
  QMenu *m_documents = nullptr;
  QPushButton *m_showScreen = nullptr, *m_showBoard = nullptr, *m_discussion = nullptr, *m_mic = nullptr;
};
