// Sounds of the audio device test: the speaker-test melody, the opening bars of the
// serenade in G, as a soft plucked tone. 44.1 kHz, because the speaker test plays every
// file as 44.1 kHz mono samples.

#include "art.h"

#include <QtMath>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kEighth = 0.21; // seconds; about 143 beats a minute

struct Note {
  double start; // in eighths
  double length;
  double frequency;
};

const double G4 = 392.00, D4 = 293.66, B4 = 493.88, D5 = 587.33, G3 = 196.00;

const std::vector<Note> &melody() {
  static const std::vector<Note> notes = {
      {0, 2, G4}, {3, 1, D4}, {4, 2, G4}, {7, 1, D4},  {8, 1, G4},
      {9, 1, D4}, {10, 1, G4}, {11, 1, B4}, {12, 4, D5},
      // a quiet bass under the first beat of each bar
      {0, 4, G3}, {8, 4, G3}, {12, 4, G3 * 1.5},
  };
  return notes;
}

double pluck(double frequency, double dt, double length) {
  const double attack = qMin(1.0, dt / 0.008);
  const double decay = qExp(-dt * 2.6);
  const double release = dt > length ? qExp(-(dt - length) * 18.0) : 1.0;
  const double w = 2.0 * M_PI * frequency * dt;
  const double tone = qSin(w) + 0.35 * qSin(2 * w) + 0.12 * qSin(3 * w) + 0.05 * qSin(4 * w);
  return attack * decay * release * tone;
}

double sample(double t) {
  double v = 0;
  for (const Note &n : melody()) {
    const double start = n.start * kEighth;
    const double length = n.length * kEighth;
    const double dt = t - start;
    if (dt < 0 || dt > length + 0.4) continue;
    const double gain = n.frequency < 250 ? 0.35 : 1.0;
    v += gain * pluck(n.frequency, dt, length);
  }
  return 0.32 * v;
}

} // namespace

ART_REGISTER(av) {
  art::addFile(QStringLiteral("mozart.wav"), [] { return art::wav(16 * kEighth + 0.4, sample, kRate); });
}
