#pragma once
// The shell's one seam to the classroom window. The classroom library sits below the shell and
// knows nothing of it; the shell creates the classroom through a registered factory and talks
// to it only through these meta-object names, which the classroom widget must provide:
//
//   slots / Q_INVOKABLE  setToken(QString), setRoomId(int), setMasterId(QString), onBtnLogin(),
//                        bool isReadyToLeave(), int status(), bool isLeaving(),
//                        imageView(QString), QString getUserName(),
//                        setMic(int,int), setMicVol(int,int), setSpeaker(int,int),
//                        setSpeakerVol(int,int), setCamera(int), setDisableCamera(bool),
//                        setHideUp(bool)
//   signal               releaseFinished()
//
// A link to a missing classroom (null) does nothing and answers with defaults.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

class ClassroomLink {
public:
  // Makes the classroom window: (line type, the shell's central frame) -> widget.
  using Factory = std::function<QWidget *(const QString &lineType, QWidget *centralFrame)>;
  static void setFactory(Factory factory);
  static bool hasFactory();
  // Creates a classroom through the factory; null (and a log line) when none is registered.
  static QWidget *create(const QString &lineType, QWidget *centralFrame);

  // The process-wide current classroom window (null when none).
  static ClassroomLink current();
  static void setCurrent(QWidget *classroom);

  explicit ClassroomLink(QWidget *classroom = nullptr);

  QWidget *widget() const { return classroom_; }
  explicit operator bool() const { return classroom_ != nullptr; }

  void setToken(const QString &token) const;
  void setRoomId(int roomId) const;
  void setMasterId(const QString &masterId) const;
  void onBtnLogin() const;
  bool isReadyToLeave() const;
  int status() const;
  bool isLeaving() const;
  void imageView(const QString &url) const;
  QString getUserName() const;
  // The device setters of the settings store, passed on unchanged.
  void setDevice(const char *slot, int index, int value) const;
  void setCamera(int index) const;
  void setFlag(const char *slot, bool on) const;

private:
  QPointer<QWidget> classroom_;
};
