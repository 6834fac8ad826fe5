#pragma once
// Reward pop-up: an animated red packet that counts down five seconds, opens by itself or on
// a click, shows the coins and closes itself three seconds later. It deletes itself on close;
// the caller keeps no pointer.
//
//   auto *packet = new QtRedPacket(classroomWindow);
//   connect(packet, &QtRedPacket::playSound, classroomWindow, &MainForm::playSound);
//   packet->setAmount(amount);
//   packet->show();
//
// The only thing it asks of the program is a sound: playSound("coin.wav") is emitted once,
// when the packet starts to open. Connect it before show().

#include <QDialog>
#include <QPixmap>

class QMovie;
class QTimer;

namespace Ui {
class QtRedPacket;
}

class QtRedPacket : public QDialog {
  Q_OBJECT
public:
  static constexpr int kRotationMs = 50;
  static constexpr int kOpenFrameMs = 100;
  static constexpr int kCountdownMs = 1000;
  static constexpr int kCloseMs = 3000;
  static constexpr int kRotationFrames = 11;

  explicit QtRedPacket(QWidget *parent = nullptr);
  ~QtRedPacket() override;

  // Stored only; shown when the packet has opened.
  void setAmount(int amount);
  int amount() const { return m_amount; }
  int countdown() const { return m_countdown; }

signals:
  void playSound(const QString &name);

public slots:
  void onTimerout();       // rotating light, every 50 ms
  void onTimer2out();      // opening frames, every 100 ms while opening
  void onTimer3out();      // countdown, every second
  void onTimer4out();      // close, 3 s after opening
  void onButtonClicked();  // "立即打开"

protected:
  void paintEvent(QPaintEvent *event) override;
  void showEvent(QShowEvent *event) override;

private:
  QTimer *makeTimer(const char *name, int interval, void (QtRedPacket::*slot)());
  void startOpening();
  void showAmount();

  Ui::QtRedPacket *ui;
  QMovie *m_flashStar = nullptr;
  QTimer *m_rotationTimer = nullptr;
  QTimer *m_openTimer = nullptr;
  QTimer *m_countdownTimer = nullptr;
  QTimer *m_closeTimer = nullptr;
  int m_rotationFrame = 0;
  int m_openFrame = 1;
  int m_countdown = 5;
  int m_amount = 10;
  bool m_opening = false;
  QPixmap m_backdrop;
};
