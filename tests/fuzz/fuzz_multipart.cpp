// Fuzz target: the storage's multipart body. The first line is the request's content type,
// the rest its body. Every part found is a piece of the body, and nothing is found without a
// boundary.
#include "fuzzapp.h"

#include "service/multipartbody.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArray input = fuzzapp::bytes(data, size);
  const int eol = input.indexOf('\n');
  const QByteArray contentType = eol < 0 ? input : input.left(eol);
  const QByteArray body = eol < 0 ? QByteArray() : input.mid(eol + 1);
  const QByteArray boundary = multipartbody::boundaryOf(contentType);
  QList<MultipartPart> parts;
  if (!multipartbody::parse(body, boundary, &parts))
    return 0;
  fuzzapp::check(!boundary.isEmpty() || parts.isEmpty(), "parts found without a boundary");
  for (const MultipartPart &part : parts)
    fuzzapp::check(body.contains(part.data) && body.contains(part.name), "a part that is not in the body");
  return 0;
}
