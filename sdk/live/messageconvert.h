#pragma once
// Outgoing live SDK messages in the hub's element form.

#include "protocol/immessage.h"
#include "sdk/live/ilivemessage.h"

namespace ilivesdk {

QVector<hubproto::Element> toHubElements(const ilive::Message &message);

} // namespace ilivesdk
