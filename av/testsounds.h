#pragma once
// The test sounds of the settings pages and the classroom, played through an AudioHelper:
// the microphone loopback, the speaker test melody and the classroom's own sounds, all from
// the resource folder. A null helper (none made yet) plays nothing.

#include <QString>

class AudioHelper;

class TestSounds {
public:
  static QString resourcePrefix();    // ":/res/Resources/"
  static QString speakerTestSound();  // "mozart.wav"
  static QString resourcePath(const QString &name);

  explicit TestSounds(AudioHelper *helper) : helper_(helper) {}

  void micTest(int micIndex, int speakerIndex, int micVol, int speakerVol) const;
  // Plays the speaker test melody on output `index`.
  void speakerTest(int index, int volume) const;
  // Plays the named sound of the resource folder on output `index`.
  void play(const QString &name, int index, int volume) const;
  void stopMicTest() const;
  void stopSpeakerTest() const;

private:
  AudioHelper *helper_;
};
