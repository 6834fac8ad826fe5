#pragma once
// The device side of the settings store: the lists of the shell's audio helper and the
// selection it is handed. The shell implements it over its AudioHelper; core stays below av.

#include <QString>
#include <QStringList>

class SettingsDevices {
public:
  virtual ~SettingsDevices() = default;

  // Enumerates the devices afresh (the shell recreates its audio helper).
  virtual void refresh() = 0;

  virtual QStringList inputNames() const = 0;         // microphones, by device name
  virtual QStringList outputNames() const = 0;        // speakers, by device name
  virtual QStringList cameraDescriptions() const = 0; // cameras, by description
  virtual QString defaultInputName() const = 0;
  virtual QString defaultOutputName() const = 0;

  // The student's choice, handed on to the audio helper's input / output selection.
  virtual void selectInput(int index, int volume) = 0;
  virtual void selectOutput(int index, int volume) = 0;
};
