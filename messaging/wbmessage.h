#pragma once
// Whiteboard envelopes as IM messages: sending one to the class group, and decoding received
// ones (custom and file elements) into the board data handed to IMService.

#include "sdk/im/imsdk.h"

#include <string>

class IMService;

namespace wbmessage {

// Builds the message (custom element up to 7000 bytes, file element beyond, push extension)
// and sends it to the group; a failure is logged when the library answers.
void send(const std::string &groupId, const std::string &envelope);
// The message hook's whiteboard decoder (IM delivery thread).
void decode(im::MessageHandle msg, int elemCount, IMService *service);
// Unwraps one envelope and hands its value to the service's receiver.
void deliverEnvelope(const char *bytes, std::size_t length, IMService *service);

} // namespace wbmessage
