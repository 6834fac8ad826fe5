#pragma once
// Stage-status control of the live toolbar: the hand-raise button in the middle, the small
// microphone on its left and the camera on its right, shown by stage state, with a speech
// bubble that says what just happened. A passive view: the classroom window calls the stage
// operations when the teacher changes the student's state, and hears handRaised() when the
// student raises a hand.
//
//   stage state   left background + microphone   right background + camera
//   0 off stage   hidden                          hidden
//   1 on mic      shown, microphone enabled        hidden
//   2 on stage    shown (microphone may be paused) shown

#include <QString>
#include <QWidget>

class QTimer;
class QtBubble;

namespace Ui {
class QtSuperButton;
}

class QtSuperButton : public QWidget {
  Q_OBJECT
public:
  enum StageState { OffStage = 0, OnMic = 1, OnStage = 2 };
  static constexpr int kRingFrames = 50;
  static constexpr int kRingTickMs = 100;
  static constexpr int kBubbleMs = 3000;

  explicit QtSuperButton(QWidget *parent = nullptr);
  ~QtSuperButton() override;

  int stageState() const { return m_stageState; }
  int circleFrame() const { return m_circleFrame; }
  bool justStaged() const { return m_justStaged; }
  QtBubble *bubble() const { return m_bubble; }

  // Sets the bubble's text and width and places it above the control, its tip on the
  // microphone ("left"), the hand ("center") or the camera ("right"); hides after 3 s.
  void showBubble(const QString &text, int width, const QString &anchor);

signals:
  // The hand button was clicked: the classroom sends the raise-hand command.
  void handRaised();

public slots:
  void onStage();   // the teacher put the student on stage (audio and camera)
  void offStage();  // the teacher took the student off stage
  void onMic();     // the teacher opened the student's microphone
  void offMic();    // the teacher closed the student's microphone
  void offCamera(); // the student's camera was closed

  void onTimeout();              // hand-raise ring tick
  void btnCircleClicked();       // hand button clicked
  void timerHideBubbleTimeout(); // bubble time is up

private:
  void setStageView(int state);

  Ui::QtSuperButton *ui;
  QtBubble *m_bubble = nullptr;
  QTimer *m_circleTimer = nullptr;
  QTimer *m_bubbleTimer = nullptr;
  int m_circleFrame = 0;
  int m_stageState = OffStage;
  bool m_justStaged = false;
};
