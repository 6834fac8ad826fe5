#pragma once
// A classroom window for the shell's tests: it implements the classroom side of the seam and
// records what the shell told it. The real classroom takes its place through the same factory.

#include "classroom/classroomseam.h"

#include <QStringList>
#include <QWidget>

class FakeClassroom : public QWidget, public Classroom {
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
  QString userName;
  int roomId = -1;
  QString masterId;
  int loginCalls = 0;
  int statusValue = 0;
  bool ready = true;
  bool leavingFlag = false;
  bool closeRequested = false;
  QStringList deviceCalls;
  QStringList images; // imageView urls

  // What the real classroom does when its session is over.
  void finishRelease() { emit releaseFinished(); }

  QWidget *widget() override { return this; }
  void setToken(const QString &t) override { token = t; }
  void setRoomId(int id) override { roomId = id; }
  void setMasterId(const QString &id) override { masterId = id; }
  void onBtnLogin() override { ++loginCalls; }
  bool isReadyToLeave() const override { return ready; }
  int status() const override { return statusValue; }
  bool isLeaving() const override { return leavingFlag; }
  void imageView(const QString &url) override { images << url; }
  QString getUserName() const override { return userName; }
  void setUserName(const QString &name) override { userName = name; }
  QString getToken() const override { return token; }
  void setMic(int index, int value) override { record("setMic", index, value); }
  void setMicVol(int index, int value) override { record("setMicVol", index, value); }
  void setSpeaker(int index, int value) override { record("setSpeaker", index, value); }
  void setSpeakerVol(int index, int value) override { record("setSpeakerVol", index, value); }
  void setCamera(int index) override { record("setCamera", index, 0); }
  void setDisableCamera(bool disable) override { record("setDisableCamera", disable, 0); }
  void setHideUp(bool hide) override { record("setHideUp", hide, 0); }
  QMetaObject::Connection onReleaseFinished(QObject *context, std::function<void()> slot) override {
    return connect(this, &FakeClassroom::releaseFinished, context, std::move(slot));
  }

signals:
  void releaseFinished();

protected:
  // Like the real window, it stays while its session runs and closes once released.
  void closeEvent(QCloseEvent *event) override;

private:
  void record(const char *name, int a, int b);
};
