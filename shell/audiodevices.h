#pragma once
// The settings store's view of the machine's devices, over the shell's AudioHelper. Every
// refresh makes a new helper, so devices plugged in since then are listed.

#include "core/settingsdevices.h"

#include <memory>

class AudioHelper;

class AudioDevices : public SettingsDevices {
public:
  AudioDevices();
  ~AudioDevices() override;

  AudioHelper *helper() const { return helper_.get(); }

  void refresh() override;
  QStringList inputNames() const override;
  QStringList outputNames() const override;
  QStringList cameraDescriptions() const override;
  QString defaultInputName() const override;
  QString defaultOutputName() const override;
  void selectInput(int index, int volume) override;
  void selectOutput(int index, int volume) override;

private:
  std::unique_ptr<AudioHelper> helper_;
};
