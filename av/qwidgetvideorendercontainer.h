#pragma once
// One tile of the stage strip: a video view filling a small frame.

#include <QWidget>

class QWidgetVideoRender;

class QWidgetVideoRenderContainer : public QWidget {
  Q_OBJECT
public:
  static constexpr int kTileWidth = 140;
  static constexpr int kTileHeight = 100;

  explicit QWidgetVideoRenderContainer(QWidget *parent = nullptr);

  QWidgetVideoRender *render() const { return m_render; }

private:
  QWidgetVideoRender *m_render;
};
