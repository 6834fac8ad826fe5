// The live SDK's public result codes are the hub protocol's table under the SDK's own names:
// the hub's answers pass through unchanged, so a number that drifts on one side breaks here.
#include "protocol/protocol.h"
#include "sdk/live/ilive.h"

namespace {
using namespace hubproto;
using namespace ilive;

static_assert(int(NO_ERR) == int(Ok));
static_assert(int(ERR_ROLE_UNCHANGED) == int(RoleUnchanged));
static_assert(int(ERR_NOT_SIGNED_IN) == int(NotSignedIn));
static_assert(int(ERR_NOT_IN_ROOM) == int(NotInRoom));
static_assert(int(ERR_STREAM_NOT_FOUND) == int(StreamNotFound));
static_assert(int(ERR_NOT_ALLOWED) == int(NotAllowed));
static_assert(int(ERR_BAD_ARGUMENT) == int(BadArgument));
static_assert(int(ERR_RATE_LIMITED) == int(RateLimited));
static_assert(int(ERR_TOO_LARGE) == int(TooLarge));
static_assert(int(ERR_UNKNOWN_KIND) == int(UnknownKind));
static_assert(int(ERR_MALFORMED) == int(Malformed));
static_assert(int(ERR_VERSION) == int(BadVersion));
static_assert(int(ERR_BAD_FRAME) == int(BadFrame));
static_assert(int(ERR_PEER_OFFLINE) == int(PeerOffline));
static_assert(int(ERR_SLOW_READER) == int(SlowReader));
static_assert(int(ERR_NOT_INITIALISED) == int(ClientNotInitialised));
static_assert(int(ERR_CONNECT) == int(ClientConnect));
static_assert(int(ERR_TIMEOUT) == int(ClientTimeout));
static_assert(int(ERR_NOT_LOGGED_IN) == int(ClientNotLoggedIn));
static_assert(int(ERR_BUSY) == int(ClientBusy));
static_assert(int(ERR_NO_DEVICE) == int(ClientNoDevice));
static_assert(int(ERR_DEVICE_FAILED) == int(ClientDeviceFailed));
static_assert(int(ERR_CONNECTION_LOST) == int(ClientConnectionLost));
static_assert(int(ERR_ALREADY) == int(Already));
static_assert(int(ERR_SIG_INVALID) == int(SigInvalid));
static_assert(int(ERR_SIG_EXPIRED) == int(SigExpired));
} // namespace
