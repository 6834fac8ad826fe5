#include "av/videotilepool.h"

#include "av/guithread.h"
#include "av/qtwidgetup.h"
#include "av/qwidgetvideorender.h"
#include "av/qwidgetvideorendercontainer.h"

#include <QHBoxLayout>
#include <QMutexLocker>

namespace {

void removeFromStage(QPointer<QWidgetVideoRenderContainer> tile, QPointer<QtWidgetUp> stage) {
  runOnGuiThread([tile, stage] {
    if (!tile)
      return;
    tile->hide();
    if (stage)
      stage->tileLayout()->removeWidget(tile);
  });
}

} // namespace

// The widget half of lending a tile; queued, so the tile may be gone by then. The name is read
// when it runs: one learnt while this waited (relabel runs at once on the GUI thread) would
// otherwise be overwritten by the one known when the tile was lent, often none yet.
void VideoTilePool::showInStage(QWidgetVideoRenderContainer *tile, const QPointer<QtWidgetUp> &stage,
                                const QString &userId, int position) {
  runOnGuiThread([tile = QPointer<QWidgetVideoRenderContainer>(tile), stage, userId, position, this] {
    if (!tile || !stage || this->tile(userId) != tile)
      return;
    tile->render()->addRootView(userId, ilive::VIDEO_SRC_CAMERA);
    tile->render()->setName(label(userId));
    stage->tileLayout()->insertWidget(position, tile);
    tile->show();
  });
}

VideoTilePool &VideoTilePool::instance(bool reset, QWidget *tileParent) {
  static VideoTilePool pool;
  if (reset)
    pool.reset(tileParent);
  return pool;
}

void VideoTilePool::reset(QWidget *tileParent) {
  QMutexLocker guard(&m_mutex);
  m_inUse.clear();
  m_labels.clear();
  m_free.clear();
  for (int i = 0; i < kTiles; ++i) {
    auto *tile = new QWidgetVideoRenderContainer(tileParent);
    tile->setFixedSize(QWidgetVideoRenderContainer::kTileWidth, QWidgetVideoRenderContainer::kTileHeight);
    tile->render()->setTileIndex(i);
    tile->hide();
    m_free.append(tile);
  }
}

void VideoTilePool::setStage(QtWidgetUp *stage) {
  QMutexLocker guard(&m_mutex);
  if (stage == m_stage)
    return;
  if (stage)
    for (QWidgetVideoRenderContainer *tile : qAsConst(m_inUse))
      stage->tileLayout()->addWidget(tile);
  m_stage = stage;
}

QString VideoTilePool::label(const QString &userId) const {
  QMutexLocker guard(&m_mutex);
  return m_labels.value(userId);
}

QtWidgetUp *VideoTilePool::stage() const {
  QMutexLocker guard(&m_mutex);
  return m_stage;
}

QWidgetVideoRenderContainer *VideoTilePool::tile(const QString &userId) const {
  QMutexLocker guard(&m_mutex);
  return m_inUse.value(userId, nullptr);
}

VideoTarget *VideoTilePool::find(const QString &userId) const {
  QWidgetVideoRenderContainer *t = tile(userId);
  return t ? t->render() : nullptr;
}

VideoTarget *VideoTilePool::attach(const QString &userId, const QString &name, int position) {
  QWidgetVideoRenderContainer *t = nullptr;
  QPointer<QtWidgetUp> stage;
  {
    QMutexLocker guard(&m_mutex);
    t = m_inUse.value(userId, nullptr);
    if (!t) {
      if (m_free.isEmpty())
        return nullptr;
      t = m_free.takeLast();
      m_inUse.insert(userId, t);
      t->render()->setOwner(userId.toUtf8());
    }
    if (!name.isEmpty() || !m_labels.contains(userId))
      m_labels.insert(userId, name);
    stage = m_stage;
  }
  // Outside the lock: on the GUI thread the widget work runs at once and reads the pool.
  if (stage)
    showInStage(t, stage, userId, position);
  return t->render();
}

void VideoTilePool::detach(const QString &userId) {
  QMutexLocker guard(&m_mutex);
  QWidgetVideoRenderContainer *t = m_inUse.value(userId, nullptr);
  if (!t || !m_stage)
    return;
  removeFromStage(t, m_stage);
  m_inUse.remove(userId);
  m_labels.remove(userId);
  m_free.append(t);
}

void VideoTilePool::relabel(const QString &userId, const QString &name) {
  QPointer<QWidgetVideoRenderContainer> t;
  {
    QMutexLocker guard(&m_mutex);
    t = m_inUse.value(userId, nullptr);
    if (!t)
      return;
    m_labels.insert(userId, name);
  }
  runOnGuiThread([t, userId, this] {
    // The tile may have been handed to someone else in the meantime.
    if (t && tile(userId) == t)
      t->render()->setName(label(userId));
  });
}

int VideoTilePool::count() const {
  QMutexLocker guard(&m_mutex);
  return m_inUse.size();
}
