#pragma once
// The rules of a student's class name, shared by the client's editor and the service that
// stores the name: the refusal message of the first rule a name breaks, and the name as the
// editor shows it (a three-digit ordering prefix hidden).

#include <QString>

namespace classname {

constexpr int kMaxLength = 20; // UTF-16 units

// Empty when the name may be stored; otherwise the message of the first failing check:
// empty, starts with a digit, too long, special characters or white space.
QString refusal(const QString &name);

// A stored name "012李四" is shown as "李四"; any other name unchanged.
QString shown(const QString &stored);

} // namespace classname
