#pragma once
// What the hub protocol's readers accept must write out and read back the same: a frame or an
// IM message that changes on the way through would differ between two clients. Each check
// aborts (through fuzzapp::check) when it does not.

#include "protocol/immessage.h"
#include "protocol/mediaframe.h"

namespace hubroundtrip {

void checkFrame(const hubproto::MediaFrame &frame);
void checkMessage(const hubproto::ImMessage &message);

} // namespace hubroundtrip
