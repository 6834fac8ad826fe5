#include "core/fdwrite.h"

#include <cerrno>
#include <unistd.h>

namespace fdwrite {

bool writeAll(int fd, const char *data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

} // namespace fdwrite
