#pragma once
// Picks the view for every video frame of the class. Screen and media frames go to the screen
// view; camera frames go by their owner: the teacher to the large view, or to the first tile
// of the stage strip while students are on stage; everyone else to a tile of their own.
//
// The classroom owns one, feeds it the frames of its video callbacks (on the SDK's media
// thread) and the member facts it learns (on the GUI thread). Decisions are made under a short
// lock; the frame is drawn after it is released, so the GUI thread never waits for a drawing.

#include "sdk/live/ilive.h"

#include <QHash>
#include <QMutex>
#include <QString>

#include <atomic>

class VideoTarget;
class VideoTiles;
class VideoViews;

class VideoRouter {
public:
  enum class TeacherView { None, Large, Tile };

  VideoRouter(VideoViews &views, VideoTiles &tiles);

  void setTeacherId(const QString &teacherId);
  // The local setting "hide_up": students stay out of the strip; the teacher goes back to
  // the large view with the next frame.
  void setHideUp(bool hide);
  // The label of a user's tile (the roster's name column).
  void setMemberName(const QString &userId, const QString &name);
  // Off: the student's own camera frames are dropped. Closing the camera is asynchronous, so
  // frames already on their way would otherwise bring back the tile just taken away.
  void setOwnCameraOn(bool on);
  // The roster's microphone column of the teacher's row: "0" or empty means off.
  void setTeacherMicText(const QString &text);
  // From now on remote frames are dropped; local ones still pass.
  void beginClosing() { m_closing = true; }

  void localFrame(const ilive::LiveVideoFrame &frame);
  void remoteFrame(const ilive::LiveVideoFrame &frame);

  // A user left the stage: the tile goes back to the pool, and when it was the last student
  // tile the teacher returns to the large view with the next frame.
  void removeUser(const QString &userId);

  // The teacher's camera stopped (or stopped reaching us): its view keeps its place and shows
  // black until the camera's next frame.
  void teacherCameraStopped();

  TeacherView teacherView() const;

private:
  void route(const ilive::LiveVideoFrame &frame, bool local);
  VideoTarget *cameraTarget(const QString &userId, bool local);
  VideoTarget *teacherTarget();
  VideoTarget *memberTarget(const QString &userId);
  void placeMember(const QString &userId);
  void placeTeacher();
  void moveTeacherToStrip();
  void showTeacherLarge();

  VideoViews &m_views;
  VideoTiles &m_tiles;
  std::atomic<bool> m_closing{false};

  mutable QMutex m_mutex;
  QString m_teacherId;
  bool m_hideUp = false;
  bool m_teacherMic = false;
  bool m_ownCameraOn = true;
  TeacherView m_teacherView = TeacherView::None;
  QHash<QString, QString> m_names;
};
