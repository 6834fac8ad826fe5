#pragma once
// The process-wide pool of stage tiles. The classroom resets it once with its window as the
// tiles' parent (the window destroys them, never the pool) and hands it the strip; the frame
// routing then lends tiles to users on the SDK's media thread. The lists are guarded by one
// mutex; strip and tile widgets are changed on the GUI thread only.

#include "av/videotiles.h"

#include <QList>
#include <QMap>
#include <QMutex>
#include <QPointer>

class QWidget;
class QtWidgetUp;
class QWidgetVideoRenderContainer;

class VideoTilePool : public VideoTiles {
public:
  static constexpr int kTiles = 5;

  // The pool, made on first use. reset: forgets every earlier tile and makes kTiles new ones
  // as children of tileParent (GUI thread).
  static VideoTilePool &instance(bool reset = false, QWidget *tileParent = nullptr);

  // GUI thread. A new strip receives every lent tile at its end; the same strip again is a no-op.
  void setStage(QtWidgetUp *stage);
  QtWidgetUp *stage() const;

  VideoTarget *find(const QString &userId) const override;
  VideoTarget *attach(const QString &userId, const QString &name, int position) override;
  void detach(const QString &userId) override;
  void relabel(const QString &userId, const QString &name) override;
  int count() const override;

  QWidgetVideoRenderContainer *tile(const QString &userId) const;
  // The name userId's tile shows: the latest given by attach or relabel.
  QString label(const QString &userId) const;

private:
  VideoTilePool() = default;
  void reset(QWidget *tileParent);
  void showInStage(QWidgetVideoRenderContainer *tile, const QPointer<QtWidgetUp> &stage, const QString &userId,
                   int position);

  mutable QMutex m_mutex;
  QMap<QString, QWidgetVideoRenderContainer *> m_inUse;
  QMap<QString, QString> m_labels; // by user, for the tiles in use
  QList<QWidgetVideoRenderContainer *> m_free;
  QPointer<QtWidgetUp> m_stage;
};
