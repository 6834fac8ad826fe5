#include "classroom/classvideo.h"

#include "av/videotiles.h"
#include "av/videoviews.h"
#include "classroom/classsession.h"
#include "classroom/memberroster.h"

ClassVideo::ClassVideo(ClassSession *session, std::unique_ptr<VideoViews> views, VideoTiles &tiles,
                       QObject *parent)
    : QObject(parent), session_(session), views_(std::move(views)), tiles_(tiles),
      router_(*views_, tiles) {
  connect(session_, &ClassSession::memberChanged, this, &ClassVideo::followRoster);
  // Frames come only after joining; by then the teacher's id is known.
  connect(session_, &ClassSession::statusChanged, this, &ClassVideo::followRoster);
  connect(session_, &ClassSession::ownTileRemoved, this, &ClassVideo::removeOwnTile);
  connect(session_, &ClassSession::cameraUpChanged, this, [this](bool up) { router_.setOwnCameraOn(up); });
  connect(session_, &ClassSession::leavingBegun, this, [this] { router_.beginClosing(); });
  connect(session_->liveCalls(), &LiveCalls::memberStatus, this, &ClassVideo::onMemberStatus);
  session_->liveCalls()->setFrameSink(this);
}

ClassVideo::~ClassVideo() { session_->liveCalls()->setFrameSink(nullptr); }

void ClassVideo::setHideUp(bool hide) {
  router_.setHideUp(hide);
  if (hide && tiles_.count() == 0)
    emit stageEmptied();
}

void ClassVideo::removeUser(const QString &userId) {
  router_.removeUser(userId);
  if (tiles_.count() == 0)
    emit stageEmptied();
}

void ClassVideo::removeOwnTile() { removeUser(session_->userId()); }

void ClassVideo::followRoster() {
  const MemberRoster *roster = session_->roster();
  const QString teacher = session_->masterId();
  router_.setTeacherId(teacher);
  router_.setTeacherMicText(roster->memberText(teacher, MemberRoster::ColRole));
  for (const QString &uid : roster->memberIds())
    router_.setMemberName(uid, roster->memberText(uid, MemberRoster::ColName));
}

// A student who stops publishing or leaves gives the tile back; the teacher's camera keeps its
// place until the class ends, black while the camera is stopped.
void ClassVideo::onMemberStatus(int event, const QStringList &userIds) {
  const bool gone = event == ilive::MEMBER_NO_CAMERA || event == ilive::MEMBER_OFF_STAGE ||
                    event == ilive::MEMBER_EXIT;
  if (!gone)
    return;
  for (const QString &id : userIds) {
    if (id != session_->masterId())
      removeUser(id);
    else if (event == ilive::MEMBER_NO_CAMERA)
      router_.teacherCameraStopped();
  }
}
