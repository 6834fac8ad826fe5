// Deterministic mutation fuzzing: thousands of malformed inputs derived from the seeds with
// a fixed random seed, so a failure reproduces on every run.
#include "messagingfuzz.h"

#include <QTest>
#include <random>

namespace {

class Mutator {
public:
  explicit Mutator(uint32_t seed) : rng_(seed) {}

  QByteArray mutate(QByteArray in, const QList<QByteArray> &pool) {
    const int rounds = 1 + int(pick(4));
    for (int r = 0; r < rounds; ++r)
      applyOne(in, pool);
    return in;
  }

private:
  uint32_t pick(uint32_t n) { return n ? uint32_t(rng_() % n) : 0; }

  void applyOne(QByteArray &b, const QList<QByteArray> &pool) {
    // Byte 0 picks the target; mutate the payload only, most of the time.
    const int from = (b.size() > 1 && pick(8) != 0) ? 1 : 0;
    const int span = b.size() - from;
    switch (pick(7)) {
    case 0: // flip a bit
      if (span > 0) {
        const int at = from + int(pick(uint32_t(span)));
        b[at] = char(b.at(at) ^ char(1 << pick(8)));
      }
      break;
    case 1: // overwrite with an interesting byte
      if (span > 0)
        b[from + int(pick(uint32_t(span)))] = "\0\"\\{}[]:,\xff\xc3\x80-09eE"[pick(17)];
      break;
    case 2: // insert random bytes
      b.insert(from + int(pick(uint32_t(span + 1))), randomBytes(1 + int(pick(8))));
      break;
    case 3: // delete a run
      if (span > 0)
        b.remove(from + int(pick(uint32_t(span))), 1 + int(pick(16)));
      break;
    case 4: // truncate
      b.truncate(from + int(pick(uint32_t(span + 1))));
      break;
    case 5: { // splice in part of another seed
      const QByteArray &other = pool[int(pick(uint32_t(pool.size())))];
      const int start = int(pick(uint32_t(other.size())));
      b.insert(from + int(pick(uint32_t(span + 1))), other.mid(start, int(pick(64))));
      break;
    }
    case 6: // duplicate a run (deep nesting, long strings)
      if (span > 0) {
        const int start = from + int(pick(uint32_t(span)));
        const QByteArray run = b.mid(start, 1 + int(pick(32)));
        for (uint32_t k = pick(20); k > 0; --k)
          b.insert(start, run);
      }
      break;
    }
  }

  QByteArray randomBytes(int n) {
    QByteArray out(n, '\0');
    for (char &c : out)
      c = char(pick(256));
    return out;
  }

  std::mt19937 rng_;
};

QString hex(const QByteArray &b) { return QString::fromLatin1(b.left(256).toHex()); }

} // namespace

class TestMessagingFuzz : public QObject {
  Q_OBJECT
private slots:
  void initTestCase() { messagingfuzz::quietLogs(); }

  void seedsHoldEveryInvariant() {
    for (const QByteArray &s : messagingfuzz::seeds()) {
      const QString failure =
          messagingfuzz::runOne(reinterpret_cast<const uint8_t *>(s.constData()), size_t(s.size()));
      QVERIFY2(failure.isEmpty(), qPrintable(failure + QStringLiteral(" for ") + hex(s)));
    }
  }

  void mutatedInputsNeverBreakThem() {
    const QList<QByteArray> pool = messagingfuzz::seeds();
    Mutator mutator(20240611u);
    for (int i = 0; i < 20000; ++i) {
      const QByteArray input = mutator.mutate(pool[i % pool.size()], pool);
      const QString failure = messagingfuzz::runOne(
          reinterpret_cast<const uint8_t *>(input.constData()), size_t(input.size()));
      QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("case %1: %2 for %3")
                                                 .arg(i)
                                                 .arg(failure, hex(input))));
    }
  }
};

QTEST_GUILESS_MAIN(TestMessagingFuzz)
#include "test_messaging_fuzz.moc"
