// Fuzz target: the data of a class command (a custom element tagged "LiveNotification").
// Whatever a reader accepts, written as the teacher writes it, reads back the same.
#include "fuzzapp.h"

#include "messaging/classcommand.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  ClassCommand command;
  if (!ClassCommand::parse(fuzzapp::bytes(data, size), &command))
    return 0;
  ClassCommand again;
  fuzzapp::check(ClassCommand::parse(ClassCommand::toJson(command.userAction, command.actionParam), &again),
                 "a written command does not parse");
  fuzzapp::check(again.userAction == command.userAction && again.actionParam == command.actionParam,
                 "a command changes when written and read back");
  return 0;
}
