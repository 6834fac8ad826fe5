#pragma once
// The seeded driver of our fuzz targets when libFuzzer is not there: a fixed number of inputs,
// each a seed with a few random edits (from keep onwards: bytes before it stay, so a leading
// selector byte survives), with a fixed random seed so that a CI run is repeatable.

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzzmutator {

template <typename Target>
void run(const QList<QByteArray> &seeds, int runs, int keep, Target target) {
  QRandomGenerator rng(20261208);
  for (int i = 0; i < runs; ++i) {
    QByteArray input = seeds[static_cast<int>(rng.bounded(seeds.size()))];
    const int edits = static_cast<int>(rng.bounded(6));
    for (int e = 0; e < edits && input.size() > keep; ++e) {
      const int at = keep + static_cast<int>(rng.bounded(input.size() - keep));
      switch (rng.bounded(4)) {
      case 0: input[at] = static_cast<char>(rng.bounded(256)); break;
      case 1: input.remove(at, static_cast<int>(rng.bounded(16))); break;
      case 2: input.insert(at, input.mid(keep + static_cast<int>(rng.bounded(input.size() - keep)), 12)); break;
      default: input.truncate(at); break;
      }
    }
    target(reinterpret_cast<const uint8_t *>(input.constData()), static_cast<size_t>(input.size()));
  }
}

// The driver's main: argv[1] is the number of inputs (20000 without it).
template <typename Target>
int main(int argc, char **argv, const char *name, const QList<QByteArray> &seeds, Target target) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 20000;
  run(seeds, runs, 1, target);
  std::printf("%s: %d inputs, no crash\n", name, runs);
  return 0;
}

} // namespace fuzzmutator
