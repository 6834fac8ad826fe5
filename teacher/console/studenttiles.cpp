#include "teacher/console/studenttiles.h"

#include "av/qwidgetvideorender.h"
#include "teacher/console/consoleroster.h"

#include <QHBoxLayout>
#include <QLabel>

StudentTiles::StudentTiles(const QString &teacherId, ConsoleRoster *roster, QWidget *parent)
    : QWidget(parent), m_teacherId(teacherId), m_roster(roster) {
  setObjectName(QStringLiteral("studentTiles"));
  setMinimumHeight(kTileHeight);
  m_row = new QHBoxLayout(this);
  m_row->setContentsMargins(0, 0, 0, 0);
  m_empty = new QLabel(QStringLiteral("没有学生上台。点名单里的“上台”请学生发言。"), this);
  m_empty->setAlignment(Qt::AlignCenter);
  m_empty->setStyleSheet(QStringLiteral("color: #888888; border: 1px dashed #bbbbbb;"));
  m_row->addWidget(m_empty, 1);
  m_row->addStretch(); // tiles line up from the left
  connect(roster, &ConsoleRoster::changed, this, &StudentTiles::onRosterChanged);
}

void StudentTiles::onFrame(const hubproto::MediaFrame &frame) {
  if (frame.kind != hubproto::MediaFrame::Video || frame.source != hubproto::Source::Camera)
    return;
  const QString userId = QString::fromUtf8(frame.userId);
  if (userId == m_teacherId)
    return;
  QWidgetVideoRender *view = m_tiles.value(userId);
  const StudentState *s = m_roster->find(userId);
  if (!view && s && s->onStage) {
    view = new QWidgetVideoRender(this);
    view->setObjectName(QStringLiteral("tile_") + userId);
    view->setFixedSize(kTileWidth, kTileHeight);
    view->setName(m_roster->nameOf(userId));
    view->setMicFlag(1);
    m_tiles.insert(userId, view);
    m_row->insertWidget(m_tiles.size() - 1, view);
    m_empty->hide();
    view->show();
  }
  if (!view)
    return; // the last frames of a student who just left the stage
  ilive::LiveVideoFrame f;
  f.identifier = frame.userId.constData();
  f.width = frame.width;
  f.height = frame.height;
  f.rotate = frame.rotation;
  f.srcType = ilive::VIDEO_SRC_CAMERA;
  f.dataSize = uint32_t(frame.payload.size());
  f.data = reinterpret_cast<const uint8_t *>(frame.payload.constData());
  view->inputFrame(f);
}

void StudentTiles::onStreamEnded(const QString &userId, hubproto::Source source) {
  if (QWidgetVideoRender *view = m_tiles.value(userId); view && source == hubproto::Source::Camera)
    view->dropPicture();
}

void StudentTiles::onRosterChanged() {
  for (auto it = m_tiles.begin(); it != m_tiles.end();) {
    const StudentState *s = m_roster->find(it.key());
    if (s && s->inClass && s->onStage) {
      it.value()->setName(s->shownName());
      ++it;
      continue;
    }
    it.value()->deleteLater();
    it = m_tiles.erase(it);
  }
  m_empty->setVisible(m_tiles.isEmpty());
}
