#pragma once
// Microphone and speaker checks outside the live SDK, and the machine's device lists.
//
// The lists are taken once, at construction, as the live SDK lists its devices (nameless and
// repeated names left out), so that an index names the same device here, in the settings and
// in the class. Devices plugged in later appear only in a new AudioHelper. Indices given to
// the tests are positions in these lists; an index out of range leaves everything as it was.
// Volumes are 0-100.
//
// Microphone test: the chosen input is played back through the chosen output, which starts
// 200 ms after the input (by a timer, the event loop keeps running). Speaker test: the bytes
// of a file (from its first byte) are played as 44.1 kHz mono 16-bit PCM. The two tests share
// one output: a speaker test replaces the microphone test's output; the input keeps running
// until the microphone test is stopped.

#include <QAudioDeviceInfo>
#include <QAudioFormat>
#include <QCameraInfo>
#include <QFile>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QAudioInput;
class QAudioOutput;
class QIODevice;
class QTimer;

class AudioHelper : public QObject {
  Q_OBJECT
public:
  explicit AudioHelper(QObject *parent = nullptr);
  ~AudioHelper() override;

  const QList<QAudioDeviceInfo> &inputDevices() const { return inputs; }
  const QList<QAudioDeviceInfo> &outputDevices() const { return outputs; }
  const QList<QCameraInfo> &cameras() const { return cameraList; }

  // Position of the first entry with that camera description / device name, else -1.
  int cameraIndex(const QString &description) const;
  int inputIndex(const QString &name) const;
  int outputIndex(const QString &name) const;
  QString defaultInputName() const;
  QString defaultOutputName() const;

  static QAudioFormat micTestFormat();     // 8000 Hz mono 16-bit signed little-endian PCM
  static QAudioFormat speakerTestFormat(); // 44100 Hz, otherwise the same

  // The running test's devices (null when none); owned by this helper.
  QAudioInput *currentInput() const { return input; }
  QAudioOutput *currentOutput() const { return output; }
  const QAudioFormat &currentFormat() const { return format; }
  // The file the speaker test plays (or last played).
  QString soundFileName() const { return soundFile.fileName(); }

public slots:
  void micTest(int micIndex, int speakerIndex, int micVol, int speakerVol);
  void speakerTest(int index, const QString &fileName, int volume);
  // The index is not used: the volume applies to the running test's device.
  void setMicTestVolume(int index, int volume);
  void setSpeakerTestVolume(int index, int volume);
  void stopMicTest();
  void stopSpeakerTest();

private slots:
  void startLoopbackOutput();

private:
  void deleteOutput();
  void deleteInput();

  QList<QAudioDeviceInfo> inputs;
  QList<QAudioDeviceInfo> outputs;
  QList<QCameraInfo> cameraList;
  QFile soundFile;
  QAudioFormat format;
  QAudioOutput *output = nullptr;
  QAudioInput *input = nullptr;
  // The microphone test's output plays what the input records; it must not outlive it.
  bool outputIsLoopback = false;
  QPointer<QIODevice> recorded;
  QTimer *loopbackDelay;
};
