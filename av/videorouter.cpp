#include "av/videorouter.h"

#include "av/videotarget.h"
#include "av/videotiles.h"
#include "av/videoviews.h"

#include <QDebug>
#include <QMutexLocker>

VideoRouter::VideoRouter(VideoViews &views, VideoTiles &tiles) : m_views(views), m_tiles(tiles) {}

void VideoRouter::setTeacherId(const QString &teacherId) {
  QMutexLocker guard(&m_mutex);
  m_teacherId = teacherId;
}

void VideoRouter::setHideUp(bool hide) {
  QMutexLocker guard(&m_mutex);
  m_hideUp = hide;
  if (hide && m_teacherView == TeacherView::Tile) {
    m_tiles.detach(m_teacherId);
    m_teacherView = TeacherView::None;
  }
  // Back on before the students' next frames: their tiles are still lent, in the strip that
  // was put away.
  if (!hide && m_tiles.count() > 0) {
    if (m_teacherView == TeacherView::Large)
      moveTeacherToStrip();
    else
      m_views.showStrip();
  }
}

void VideoRouter::setMemberName(const QString &userId, const QString &name) {
  QMutexLocker guard(&m_mutex);
  const auto known = m_names.constFind(userId);
  if (known != m_names.constEnd() && *known == name)
    return;
  m_names.insert(userId, name);
  m_tiles.relabel(userId, name);
}

void VideoRouter::setTeacherMicText(const QString &text) {
  QMutexLocker guard(&m_mutex);
  m_teacherMic = !(text.isEmpty() || text == QLatin1String("0"));
}

VideoRouter::TeacherView VideoRouter::teacherView() const {
  QMutexLocker guard(&m_mutex);
  return m_teacherView;
}

void VideoRouter::setOwnCameraOn(bool on) {
  QMutexLocker guard(&m_mutex);
  m_ownCameraOn = on;
}

void VideoRouter::localFrame(const ilive::LiveVideoFrame &frame) { route(frame, true); }

void VideoRouter::remoteFrame(const ilive::LiveVideoFrame &frame) {
  if (!m_closing)
    route(frame, false);
}

void VideoRouter::route(const ilive::LiveVideoFrame &frame, bool local) {
  VideoTarget *target = nullptr;
  switch (frame.srcType) {
  case ilive::VIDEO_SRC_SCREEN:
  case ilive::VIDEO_SRC_MEDIA: target = m_views.screenView(); break;
  case ilive::VIDEO_SRC_CAMERA:
    target = cameraTarget(QString::fromUtf8(frame.identifier ? frame.identifier : ""), local);
    break;
  default: break;
  }
  if (target)
    target->inputFrame(frame);
}

VideoTarget *VideoRouter::cameraTarget(const QString &userId, bool local) {
  QMutexLocker guard(&m_mutex);
  // Checked under the lock that removing a tile takes, so no frame slips in between.
  if (local && !m_ownCameraOn)
    return nullptr;
  return userId == m_teacherId ? teacherTarget() : memberTarget(userId);
}

VideoTarget *VideoRouter::teacherTarget() {
  VideoTarget *target = nullptr;
  if (m_teacherView == TeacherView::Large)
    target = m_views.largeView();
  else if (m_teacherView == TeacherView::Tile)
    target = m_tiles.find(m_teacherId);
  if (!target) {
    placeTeacher();
    return nullptr;
  }
  target->setMicFlag(m_teacherMic ? 1 : 0);
  return target;
}

VideoTarget *VideoRouter::memberTarget(const QString &userId) {
  VideoTarget *tile = m_tiles.find(userId);
  if (!tile) {
    qDebug() << "MainForm::doRender p_render is null";
    placeMember(userId);
    return nullptr;
  }
  if (m_hideUp) {
    m_tiles.detach(userId);
    return nullptr;
  }
  return tile;
}

void VideoRouter::moveTeacherToStrip() {
  m_views.hideLargeView();
  const bool placed = m_tiles.attach(m_teacherId, m_names.value(m_teacherId), VideoTiles::kFirst) != nullptr;
  // The strip may have been put away while hide_up was on.
  m_views.showStrip();
  if (placed) {
    m_teacherView = TeacherView::Tile;
    return;
  }
  // Every tile is lent: the teacher stays in sight in the large view.
  showTeacherLarge();
}

void VideoRouter::showTeacherLarge() {
  m_views.showLargeView(m_teacherId);
  m_teacherView = TeacherView::Large;
}

void VideoRouter::placeMember(const QString &userId) {
  if (m_hideUp)
    return;
  if (m_tiles.count() == 0 && m_teacherView == TeacherView::Large)
    moveTeacherToStrip();
  else
    m_views.showStrip();
  m_tiles.attach(userId, m_names.value(userId), VideoTiles::kAtEnd);
}

void VideoRouter::placeTeacher() {
  if (m_tiles.count() > 0 && !m_hideUp) {
    moveTeacherToStrip();
    return;
  }
  showTeacherLarge();
}

void VideoRouter::removeUser(const QString &userId) {
  QMutexLocker guard(&m_mutex);
  m_tiles.detach(userId);
  const bool onlyTeacherLeft = m_teacherView == TeacherView::Tile && m_tiles.count() == 1 &&
                               m_tiles.find(m_teacherId);
  if (onlyTeacherLeft) {
    m_tiles.detach(m_teacherId);
    m_teacherView = TeacherView::None;
  }
}

void VideoRouter::teacherCameraStopped() {
  QMutexLocker guard(&m_mutex);
  VideoTarget *target = nullptr;
  if (m_teacherView == TeacherView::Large)
    target = m_views.largeView();
  else if (m_teacherView == TeacherView::Tile)
    target = m_tiles.find(m_teacherId);
  if (target)
    target->dropPicture();
}
