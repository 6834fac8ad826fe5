#pragma once
// The class's video: takes the live SDK's frames from the session's calls and hands them to the
// routing, and keeps the routing in step with the class. The routing learns the teacher, every
// member's name and the teacher's microphone from the roster; student tiles go when their owner
// stops publishing or leaves the stage, and the student's own tile goes when the session says so.
//
// Widget-free: the views and the tiles come in through the routing's interfaces. Frames arrive
// on the SDK's media thread; everything else runs on the GUI thread.

#include "av/videorouter.h"
#include "classroom/livecalls.h"

#include <QObject>
#include <QStringList>
#include <memory>

class ClassSession;
class VideoTiles;
class VideoViews;

class ClassVideo : public QObject, public VideoFrameSink {
  Q_OBJECT
public:
  ClassVideo(ClassSession *session, std::unique_ptr<VideoViews> views, VideoTiles &tiles,
             QObject *parent);
  ~ClassVideo() override;

  // The local setting "hide_up".
  void setHideUp(bool hide);
  // A user's tile goes back to the pool; the teacher returns to the large view after the last.
  void removeUser(const QString &userId);

  const VideoRouter &router() const { return router_; }

  // VideoFrameSink (media thread)
  void localFrame(const ilive::LiveVideoFrame &frame) override { router_.localFrame(frame); }
  void remoteFrame(const ilive::LiveVideoFrame &frame) override { router_.remoteFrame(frame); }

signals:
  // No tile is lent any more: the window may put its strip away.
  void stageEmptied();

private:
  void followRoster();
  void onMemberStatus(int event, const QStringList &userIds);
  void removeOwnTile();

  ClassSession *session_;
  std::unique_ptr<VideoViews> views_;
  VideoTiles &tiles_;
  VideoRouter router_;
};
