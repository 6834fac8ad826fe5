#pragma once
// Shows one video stream: the teacher's camera, the shared screen or a classmate's camera.
// Frames arrive on the SDK's media thread and are drawn there into a back canvas
// (framepipeline.h); a short lock swaps it with the front canvas, which paintEvent wraps
// without copying and stretches over the widget, with the name bar and microphone icons on
// top. The GUI thread never waits for a conversion.

#include "av/framepipeline.h"
#include "av/videocanvas.h"
#include "av/videotarget.h"

#include <QImage>
#include <QMutex>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <atomic>

namespace ilive {
class iLiveRootView;
}

class QWidgetVideoRender : public QWidget, public VideoTarget {
  Q_OBJECT
public:
  explicit QWidgetVideoRender(QWidget *parent = nullptr);
  ~QWidgetVideoRender() override;

  // Any thread (the SDK's media thread in class). Ignored while paused.
  void inputFrame(const ilive::LiveVideoFrame &frame) override;

  // Any thread. The view is lent to this user's stream: until a frame of theirs arrives it
  // shows black, never the last picture of whoever had it before; other users' frames still
  // on their way are not shown.
  void setOwner(const QByteArray &userId);

  // A name turns the bar with the microphone icons on.
  void setName(const QString &name);
  QString name() const { return m_name; }
  void setMicFlag(int on) override;
  void dropPicture() override;
  void setSpeakingState(int state);
  void setTileIndex(int index) { m_tileIndex = index; }
  int tileIndex() const { return m_tileIndex; }
  void setPaused(bool paused) { m_paused = paused; }
  bool isPaused() const { return m_paused; }

  // Asks the SDK root view (made on first show) to draw this user's stream itself.
  void addRootView(const QString &userId, ilive::VideoSrc source);
  ilive::iLiveRootView *rootView() const { return m_rootView; }

  // Leaves the parent for the whole screen; Escape or a double-click brings it back.
  void goFullScreen();

  // The user id of the last frame shown.
  QByteArray streamUserId() const;
  // A copy of the canvas last handed to the GUI thread (null before the first frame, and
  // after the view was lent to another user until that user's first frame).
  QImage canvasSnapshot() const;
  int converterBuilds() const;

signals:
  void applyFullScreen(QWidgetVideoRender *pRender);
  void exitFullScreen(QWidgetVideoRender *pRender);
  void doubleClicked(int index);
  void escPressed(int index);
  void actSpeaking(bool open);
  void actCamera(bool open);
  void actMic(bool open);
  void actEnd();

protected:
  void paintEvent(QPaintEvent *event) override;
  void showEvent(QShowEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;

private:
  bool publish(const char *userId);
  bool showsPicture() const; // under m_lock
  QImage frontImage() const;  // under m_lock
  void requestRepaint();
  void paintOverlay(QPainter &painter);
  void leaveFullScreen();

  // Media thread only.
  FramePipeline m_pipeline;
  VideoCanvas m_back;

  // Guarded by m_lock: the canvas the GUI thread paints and who it shows.
  mutable QMutex m_lock;
  VideoCanvas m_front;
  QByteArray m_streamUser;
  QByteArray m_owner;   // empty: any stream
  bool m_stale = false; // m_front is from before the view was lent to m_owner

  std::atomic<bool> m_paused{false};
  std::atomic<bool> m_repaintPosted{false};
  std::atomic<int> m_micOn{0};
  std::atomic<int> m_speaking{0};
  int m_tileIndex = 0;

  QString m_name;
  bool m_overlay = false;
  QPixmap m_bar;
  QPixmap m_micOnIcon;
  QPixmap m_micOffIcon;
  QPixmap m_speakingIcon;

  ilive::iLiveRootView *m_rootView = nullptr;
  QString m_rootUser;

  QPointer<QWidget> m_normalParent;
  QRect m_normalGeometry;
  int m_normalLayoutIndex = -1;
};
