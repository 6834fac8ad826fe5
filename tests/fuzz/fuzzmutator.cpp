#include "fuzzmutator.h"

namespace fuzzmutator {

QByteArray mutate(QByteArray input, int keep, QRandomGenerator &rng) {
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
  return input;
}

} // namespace fuzzmutator
