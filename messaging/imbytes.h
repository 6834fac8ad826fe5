#pragma once
// Reads a byte field of the IM library whole, whatever its length: asks its size first and
// retries once if it grew in between. The bytes end at their first NUL, as the field is text.

#include "sdk/im/imsdk.h"

#include <QByteArray>

namespace imbytes {

template <typename Handle>
QByteArray read(Handle h, uint32_t (*sizeOf)(Handle), int (*get)(Handle, char *, uint32_t *)) {
  uint32_t wanted = sizeOf(h);
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (wanted >= uint32_t(INT32_MAX))
      return QByteArray();
    QByteArray buf(int(wanted) + 1, '\0');
    uint32_t len = wanted + 1;
    const int rc = get(h, buf.data(), &len);
    if (rc == im::IM_OK) {
      buf.truncate(int(qMin(len, wanted + 1)));
      const int nul = buf.indexOf('\0');
      if (nul >= 0)
        buf.truncate(nul);
      return buf;
    }
    if (rc != im::IM_ERR_BUFFER_TOO_SMALL)
      return QByteArray();
    wanted = len;
  }
  return QByteArray();
}

} // namespace imbytes
