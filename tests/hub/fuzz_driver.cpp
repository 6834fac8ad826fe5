// Without libFuzzer: runs the fuzz target on a fixed number of inputs made by mutating valid
// messages and frames with a fixed seed, so a CI run is repeatable.
#include "fuzzmutator.h"
#include "protocol/mediaframe.h"

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {
QList<QByteArray> seeds() {
  hubproto::MediaFrame f;
  f.width = 8;
  f.height = 8;
  f.payload = QByteArray(hubproto::i420Size(8, 8), 'p');
  return {
      QByteArray("\0", 1) + R"({"v":2,"type":"send","id":1,"conv":{"type":"group","peer":"1"},"elems":[{"type":"text","text":"x"},{"type":"face","index":3}]})",
      QByteArray("\0", 1) + R"({"v":2,"type":"send","id":2,"conv":{"type":"c2c","peer":"witness"},"elems":[{"type":"custom","data64":"AAE=","ext":"e"}],"offlinePushExt":"TXWhiteBoardExt"})",
      QByteArray("\0", 1) + R"({"v":2,"type":"join","id":3,"roomId":1,"role":"LiveGuest","authBuffer":"a"})",
      QByteArray("\0", 1) + R"({"v":2,"type":"request","id":4,"streams":[{"userId":"witness","source":"screen"}]})",
      QByteArray("\0", 1) + R"({"v":2,"type":"publish","id":5,"source":"screen","audio":false})",
      QByteArray("\0", 1) + R"({"v":2,"type":"unpublish","id":6,"channelId":"1"})",
      QByteArray("\0", 1) + R"({"v":2,"type":"role","id":7,"role":"Guest"})",
      QByteArray("\0", 1) + R"({"v":2,"type":"login","id":8,"userId":"fuzzer","userSig":"v1.1.x"})",
      QByteArray("\1", 1) + hubproto::encodeFrame(f),
  };
}
} // namespace

int main(int argc, char **argv) {
  return fuzzmutator::main(argc, argv, "fuzz_hubinput", seeds(), &LLVMFuzzerTestOneInput);
}
