// libFuzzer entry point (clang -fsanitize=fuzzer): any reported invariant break aborts.
#include "messagingfuzz.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static int argc = 1;
  static char name[] = "fuzz_messaging";
  static char *argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  static const bool quiet = (messagingfuzz::quietLogs(), true);
  (void)quiet;
  const QString failure = messagingfuzz::runOne(data, size);
  if (!failure.isEmpty()) {
    fprintf(stderr, "invariant broken: %s\n", qPrintable(failure));
    abort();
  }
  return 0;
}
