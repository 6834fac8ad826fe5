#pragma once
// The seeded driver of our fuzz targets when libFuzzer is not there: every seed once as it is
// (crash inputs kept as seeds stay regression cases), then a fixed number of inputs, each a seed
// with a few random edits (from keep onwards: bytes before it stay, so a leading selector byte
// survives), with a fixed random seed so that a CI run is repeatable.

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>

#include <cstddef>
#include <cstdint>

namespace fuzzmutator {

constexpr quint32 kRandomSeed = 20261208;

// One seed with up to five edits: a byte changed, a run removed, a run of its own bytes
// inserted elsewhere, or the tail cut.
QByteArray mutate(QByteArray input, int keep, QRandomGenerator &rng);

template <typename Target>
void run(const QList<QByteArray> &seeds, int runs, int keep, Target target) {
  for (const QByteArray &seed : seeds)
    target(reinterpret_cast<const uint8_t *>(seed.constData()), static_cast<size_t>(seed.size()));
  QRandomGenerator rng(kRandomSeed);
  for (int i = 0; i < runs; ++i) {
    const QByteArray input = mutate(seeds[static_cast<int>(rng.bounded(seeds.size()))], keep, rng);
    target(reinterpret_cast<const uint8_t *>(input.constData()), static_cast<size_t>(input.size()));
  }
}

} // namespace fuzzmutator
