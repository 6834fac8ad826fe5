#pragma once
// A class of a running tarnwick-local taught by the scripted teacher (tarnwick-teacher as its
// own process, with the environment given: the IM backend among it), and the student's
// classroom seated in it. Also the whole-class cases that run the same on every IM backend.

#include "classfixture.h"

#include <QProcess>
#include <QTemporaryDir>

#include <memory>

class LocalService;
class QTimer;

namespace classtest {

class ScriptedClass {
public:
  explicit ScriptedClass(LocalService &service,
                         QProcessEnvironment teacherEnv = QProcessEnvironment::systemEnvironment());
  ~ScriptedClass();

  // Starts the teacher with the scenario (JSON); false when it did not start.
  bool startTeacher(const char *scenario);
  QProcess *teacher() const { return m_teacher.get(); }
  // Ends the teacher if it still runs.
  void stopTeacher();
  // The teacher's output so far holds the text (waits up to timeoutMs).
  bool teacherPrinted(const QString &text, int timeoutMs);
  // The student's classroom once seated with the teacher in the room; null after timeoutMs
  // (the window then deleted). ticks speeds up the teacher check.
  MainForm *seatStudent(FakeShell &shell, QTimer *ticks, int timeoutMs);

private:
  LocalService &m_service;
  QProcessEnvironment m_env;
  QTemporaryDir m_dir;
  std::unique_ptr<QProcess> m_teacher;
  QByteArray m_output;
};

// A student who comes in after the teacher drew sees the drawing: the teacher shows the
// board and draws a red stroke before anyone is in the room, then shows the board again once
// the student is seated; the student's board replays the room's history from the service.
void lateJoinerSeesTheBoard(ScriptedClass &scripted);

} // namespace classtest
