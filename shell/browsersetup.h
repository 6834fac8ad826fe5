#pragma once
// Browser-engine settings of the process, applied to the default profile before the first
// view exists. Start-up already chose the remote-debugging address (127.0.0.1:21188) in the
// environment; the cache goes to "<per-user data location>/cefcache".

namespace BrowserSetup {

// Idempotent; the login window calls it before it makes its view.
void apply();

} // namespace BrowserSetup
