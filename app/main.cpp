#include "core/startup.h"

// The login window is not wired in yet: without a first window start-up shows nothing and
// leaves the event loop on its first turn.
int main(int argc, char **argv) { return runApplication(argc, argv, nullptr); }
