#pragma once
// The session's controls on the window's live toolbar and its hand button.

#include "classroom/classcontrols.h"

class QtLiveToolBar;

class ToolBarControls : public ClassControls {
public:
  explicit ToolBarControls(QtLiveToolBar *toolBar) : toolBar_(toolBar) {}

  void setMicEnabled(bool enabled) override;
  void setSpeakerEnabled(bool enabled) override;
  void setMicOn(bool on) override;
  void setSpeakerOn(bool on) override;
  int micVolume() const override;
  int speakerVolume() const override;
  void setMicVolume(int value) override;
  void setSpeakerVolume(int value) override;
  void onMic() override;
  void offMic() override;
  void onStage() override;
  void offStage() override;
  void offCamera() override;

private:
  QtLiveToolBar *toolBar_;
};
