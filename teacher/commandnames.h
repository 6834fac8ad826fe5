#pragma once
// Short English names of the class command codes, for the teacher's console lines.

#include <QString>

namespace commandnames {
// "call on stage" for 2049, and so on; an empty text for a code nobody acts on.
QString of(int code);
// "2049 (call on stage)", or just "7" for an unnamed code.
QString labelled(int code);
} // namespace commandnames
