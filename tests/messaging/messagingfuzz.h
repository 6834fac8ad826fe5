#pragma once
// One fuzz case for the class-message parsers and the message decoding. Shared by the
// libFuzzer entry point and the deterministic mutation test.

#include <QList>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace messagingfuzz {

// Runs one input. Returns an empty string when every invariant held, else what broke.
// The first byte picks the target; the rest is the target's input.
QString runOne(const uint8_t *data, size_t size);

// Seeds for the mutation loop: well-formed inputs of every target.
QList<QByteArray> seeds();

// The hook logs every element; fuzzing silences the debug lines and keeps warnings.
void quietLogs();

} // namespace messagingfuzz
