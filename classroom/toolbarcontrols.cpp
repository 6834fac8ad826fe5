#include "classroom/toolbarcontrols.h"

#include "classroom_widgets/qtlivetoolbar.h"
#include "classroom_widgets/qtsuperbutton.h"

void ToolBarControls::setMicEnabled(bool enabled) { toolBar_->setMicEnabled(enabled); }

void ToolBarControls::setSpeakerEnabled(bool enabled) { toolBar_->setSpeakerEnabled(enabled); }

void ToolBarControls::setMicOn(bool on) {
  if (on)
    toolBar_->setMicOn();
  else
    toolBar_->setMicOff();
}

void ToolBarControls::setSpeakerOn(bool on) {
  if (on)
    toolBar_->setSpeakerOn();
  else
    toolBar_->setSpeakerOff();
}

int ToolBarControls::micVolume() const { return toolBar_->micVolume(); }

int ToolBarControls::speakerVolume() const { return toolBar_->speakerVolume(); }

void ToolBarControls::setMicVolume(int value) { toolBar_->setMicVolume(value); }

void ToolBarControls::setSpeakerVolume(int value) { toolBar_->setSpeakerVolume(value); }

void ToolBarControls::onMic() { toolBar_->superButton()->onMic(); }

void ToolBarControls::offMic() { toolBar_->superButton()->offMic(); }

void ToolBarControls::onStage() { toolBar_->superButton()->onStage(); }

void ToolBarControls::offStage() { toolBar_->superButton()->offStage(); }

void ToolBarControls::offCamera() { toolBar_->superButton()->offCamera(); }
