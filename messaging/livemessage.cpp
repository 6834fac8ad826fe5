#include "messaging/livemessage.h"

void registerLiveMessageType() {
  // Magic static: exactly one registration even when first reached from two threads.
  static const int id = qRegisterMetaType<std::vector<LiveMessage> *>("std::vector<LiveMessage>*");
  Q_UNUSED(id)
}
