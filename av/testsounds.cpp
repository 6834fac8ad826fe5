#include "av/testsounds.h"

#include "av/audiohelper.h"

QString TestSounds::resourcePrefix() { return QStringLiteral(":/res/Resources/"); }

QString TestSounds::speakerTestSound() { return QStringLiteral("mozart.wav"); }

QString TestSounds::resourcePath(const QString &name) { return resourcePrefix() + name; }

void TestSounds::micTest(int micIndex, int speakerIndex, int micVol, int speakerVol) const {
  if (helper_) helper_->micTest(micIndex, speakerIndex, micVol, speakerVol);
}

void TestSounds::speakerTest(int index, int volume) const { play(speakerTestSound(), index, volume); }

void TestSounds::play(const QString &name, int index, int volume) const {
  if (helper_) helper_->speakerTest(index, resourcePath(name), volume);
}

void TestSounds::stopMicTest() const {
  if (helper_) helper_->stopMicTest();
}

void TestSounds::stopSpeakerTest() const {
  if (helper_) helper_->stopSpeakerTest();
}
