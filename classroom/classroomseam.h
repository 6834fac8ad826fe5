#pragma once
// Where the shell and the classroom meet. The classroom library sits below the shell and the
// shell may include nothing of it but this file: the shell implements ClassroomShell for the
// classroom it holds, and the classroom factory answers a Classroom. Both sides are checked by
// the compiler; nothing between them is called by name.

#include <QMetaObject>
#include <QString>
#include <QVariantMap>
#include <functional>

class AudioHelper;
class QObject;
class QWidget;

// What the classroom asks of the shell window that holds it.
class ClassroomShell {
public:
  virtual ~ClassroomShell() = default;
  // 0: left (or the portal went back a page), -1: stayed in the class.
  virtual int leaveClass(bool ask) = 0;
  virtual void setMyName(const QString &name) = 0;
  virtual void loadSetting() = 0;
  virtual QVariantMap currentSettings() const = 0;
  // May be null (no sound devices).
  virtual AudioHelper *audioHelper() const = 0;
  // The title bar's network indicator ("网络良好" / "网络糟糕").
  virtual void setNetGood() = 0;
  virtual void setNetBad() = 0;
  // Hides the settings dialog, if one is open.
  virtual void closeSettings() {}
};

// The classroom window as the shell drives it.
class Classroom {
public:
  virtual ~Classroom() = default;
  virtual QWidget *widget() = 0;

  virtual void setToken(const QString &token) = 0;
  virtual void setRoomId(int roomId) = 0;
  virtual void setMasterId(const QString &masterId) = 0;
  virtual void onBtnLogin() = 0;
  virtual bool isReadyToLeave() const = 0;
  // 0 created, 1 signed in to the live SDK, 2 in the room, 3 on stage.
  virtual int status() const = 0;
  virtual bool isLeaving() const = 0;
  virtual void imageView(const QString &url) = 0;
  virtual QString getUserName() const = 0;
  // The class name the backend accepted (the class-name editor).
  virtual void setUserName(const QString &name) = 0;
  // The signed-in user's token in this class.
  virtual QString getToken() const = 0;

  // The device choices the shell has already stored.
  virtual void setMic(int index, int value) = 0;
  virtual void setMicVol(int index, int value) = 0;
  virtual void setSpeaker(int index, int value) = 0;
  virtual void setSpeakerVol(int index, int value) = 0;
  virtual void setCamera(int index) = 0;
  virtual void setDisableCamera(bool disable) = 0;
  virtual void setHideUp(bool hide) = 0;

  // Runs slot in context's thread each time the session is over (releaseFinished); the
  // connection ends with context or when disconnected.
  virtual QMetaObject::Connection onReleaseFinished(QObject *context,
                                                    std::function<void()> slot) = 0;
};

// Makes a classroom inside parent for the given line type; the shell stays its shell.
using ClassroomFactory =
    std::function<Classroom *(const QString &lineType, QWidget *parent, ClassroomShell *shell)>;
