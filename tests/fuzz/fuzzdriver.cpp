// Without libFuzzer: runs a fuzz target on the seeds of its folder and on a fixed number of
// seeded mutations of them, so that a CI run is repeatable and bounded.
//   <target> <seed folder> [inputs] [kept leading bytes]
#include "fuzzmutator.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

QList<QByteArray> readSeeds(const QString &folder) {
  QList<QByteArray> seeds;
  const QDir dir(folder);
  for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
    QFile file(dir.filePath(name));
    if (file.open(QIODevice::ReadOnly))
      seeds << file.readAll();
  }
  return seeds;
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <seed folder> [inputs] [kept leading bytes]\n", argv[0]);
    return 2;
  }
  const QList<QByteArray> seeds = readSeeds(QString::fromLocal8Bit(argv[1]));
  if (seeds.isEmpty()) {
    std::fprintf(stderr, "%s: no seeds in %s\n", argv[0], argv[1]);
    return 2;
  }
  const int runs = argc > 2 ? std::atoi(argv[2]) : 20000;
  const int keep = argc > 3 ? std::atoi(argv[3]) : 0;
  fuzzmutator::run(seeds, runs, keep, &LLVMFuzzerTestOneInput);
  std::printf("%s: %d seeds and %d mutated inputs, no crash\n", argv[0], static_cast<int>(seeds.size()), runs);
  return 0;
}
