#pragma once
// Writes a buffer to an open file descriptor: one system call for anything a line long, more
// only when the system takes part of it. Safe in a signal handler. One implementation file
// per platform (fdwrite_unix.cpp here).

#include <cstddef>

namespace fdwrite {

// Returns false when the descriptor refuses the data (what was written stays written).
bool writeAll(int fd, const char *data, std::size_t size);

} // namespace fdwrite
