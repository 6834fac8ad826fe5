#pragma once
// The window's controls as the session drives them: the live toolbar's microphone and
// speaker buttons and volume sliders, and the stage control of the hand button. The window
// implements it over its widgets; the session's tests implement it in memory.

class ClassControls {
public:
  virtual ~ClassControls() = default;
  virtual void setMicEnabled(bool enabled) = 0;
  virtual void setSpeakerEnabled(bool enabled) = 0;
  virtual void setMicOn(bool on) = 0;
  virtual void setSpeakerOn(bool on) = 0;
  // Slider positions, 0..100.
  virtual int micVolume() const = 0;
  virtual int speakerVolume() const = 0;
  virtual void setMicVolume(int value) = 0;
  virtual void setSpeakerVolume(int value) = 0;
  // The stage control's marks.
  virtual void onMic() = 0;
  virtual void offMic() = 0;
  virtual void onStage() = 0;
  virtual void offStage() = 0;
  virtual void offCamera() = 0;
};
