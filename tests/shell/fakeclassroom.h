#pragma once
// A classroom window for the shell's tests: it answers the meta-object names the shell uses
// and records what the shell told it. The real classroom takes its place through the same
// factory.

#include <QStringList>
#include <QWidget>

class FakeClassroom : public QWidget {
  Q_OBJECT
public:
  FakeClassroom(const QString &lineType, QWidget *parent);
  ~FakeClassroom() override;

  // Every FakeClassroom the factory made, oldest first (deleted ones read as null).
  static QList<FakeClassroom *> made();
  static void resetMade();
  // Registers the factory with the shell.
  static void install();

  QString lineType;
  QString token;
  int roomId = -1;
  QString masterId;
  int loginCalls = 0;
  int statusValue = 0;
  bool ready = true;
  bool leavingFlag = false;
  bool closeRequested = false;
  QStringList deviceCalls;

  // What the real classroom does when its session is over.
  void finishRelease() { emit releaseFinished(); }

  Q_INVOKABLE void setToken(const QString &t) { token = t; }
  Q_INVOKABLE void setRoomId(int id) { roomId = id; }
  Q_INVOKABLE void setMasterId(const QString &id) { masterId = id; }
  Q_INVOKABLE void onBtnLogin() { ++loginCalls; }
  Q_INVOKABLE bool isReadyToLeave() const { return ready; }
  Q_INVOKABLE int status() const { return statusValue; }
  Q_INVOKABLE bool isLeaving() const { return leavingFlag; }
  Q_INVOKABLE void setMic(int index, int value) { record("setMic", index, value); }
  Q_INVOKABLE void setHideUp(bool hide) { record("setHideUp", hide, 0); }

signals:
  void releaseFinished();

protected:
  // Like the real window, it stays while its session runs and closes once released.
  void closeEvent(QCloseEvent *event) override;

private:
  void record(const char *name, int a, int b);
};
