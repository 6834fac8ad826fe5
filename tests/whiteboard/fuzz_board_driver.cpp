// Without libFuzzer: the whiteboard's fuzz target on seeded mutations of valid inputs.
#include "../hub/fuzzmutator.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {
QList<QByteArray> seeds() {
  return {
      QByteArray("\0", 1) + R"({"seq":1,"timestamp":12,"value":{"a":1}})" + "\n",
      QByteArray("\0", 1) + R"({"seq":2,"value":[1,"x",{"b":[null,true]}]})",
      QByteArray("\1", 1) + R"({"id":"k1","op":"draw","board":"#DEFAULT","items":[{"id":"i1","shape":1,"color":4278255615,"width":100,"fill":false,"points":[1,2,30,40,50,60]}]})",
      QByteArray("\1", 1) + R"([{"id":"k2","op":"board","board":"kn2#DEFAULT"},{"id":"k3","op":"goto","board":"kn2#DEFAULT"},{"id":"k4","op":"delete","boards":["#DEFAULT"]}])",
      QByteArray("\1", 1) + R"([{"id":"k5","op":"file","file":"#kf","boards":["ka_1_#kf","kb_2_#kf"],"urls":["u1","u2"]},{"id":"k6","op":"hide","board":"#DEFAULT","items":["i1"],"image":""},{"id":"k7","op":"undo","target":"k6"},{"id":"k8","op":"color","board":"","color":255}])",
      QByteArray("\2", 1) + "#DEFAULT\nk1#DEFAULT\nk2_3_#doc1\nk_x3_#doc1\nloose\n_#\n#",
  };
}
} // namespace

int main(int argc, char **argv) {
  return fuzzmutator::main(argc, argv, "fuzz_board", seeds(), &LLVMFuzzerTestOneInput);
}
