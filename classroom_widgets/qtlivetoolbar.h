#pragma once
// The white strip along the bottom of the classroom window: microphone and speaker buttons
// with pop-up volume sliders, and the stage-status control. A passive view: clicks and slider
// moves are reported through the signals below (the classroom window connects them while it
// exists, so nothing is asked of a classroom that is gone); the classroom calls setMicOn()
// and its kin when the live SDK reports a device change. A click alone changes nothing here.

#include <QWidget>

class QtImageButton2;
class QtPopSlider;
class QtSuperButton;

namespace Ui {
class QtLiveToolBar;
}

class QtLiveToolBar : public QWidget {
  Q_OBJECT
public:
  static constexpr int kSliderGap = 8; // between a slider's bottom and its button's top

  explicit QtLiveToolBar(QWidget *parent = nullptr);
  ~QtLiveToolBar() override;

  void setMicOn();
  void setMicOff();
  void setSpeakerOn();
  void setSpeakerOff();
  void setMicEnabled(bool enabled);
  void setSpeakerEnabled(bool enabled);
  void setMicVolume(int value);
  void setSpeakerVolume(int value);
  int micVolume() const;
  int speakerVolume() const;
  bool isMicOn() const { return m_micOn; }
  bool isSpeakerOn() const { return m_speakerOn; }

  QtSuperButton *superButton() const;
  QtPopSlider *micSlider() const { return m_micSlider; }
  QtPopSlider *speakerSlider() const { return m_speakerSlider; }

signals:
  void micOnRequested();          // microphone button clicked while the microphone is off
  void micOffRequested();         // ... while it is on
  void speakerOnRequested();      // speaker button clicked while the speaker is off
  void speakerOffRequested();     // ... while it is on
  void micVolumeRequested(int);   // microphone slider moved (0..100)
  void speakerVolumeRequested(int);

public slots:
  void btnMicEnter();
  void btnMicLeave();
  void btnSpeakerEnter();
  void btnSpeakerLeave();
  void btnMicClicked();
  void btnSpeakerClicked();
  void sliderMicShow();
  void sliderSpeakerShow();
  void sliderMicValueChanged(int value);
  void sliderSpeakerValueChanged(int value);

private:
  void initButton(QtImageButton2 *button, const QString &image, const QString &caption);
  QtPopSlider *makeSlider(const char *name);
  void placeSlider(QtPopSlider *slider, QWidget *button);

  Ui::QtLiveToolBar *ui;
  QtPopSlider *m_micSlider = nullptr;
  QtPopSlider *m_speakerSlider = nullptr;
  bool m_micOn = true;
  bool m_speakerOn = true;
};
