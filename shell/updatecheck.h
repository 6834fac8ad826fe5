#pragma once
// What a version answer of the backend means for this client. Versions are compared part by
// part as numbers ("3.10.0" is newer than "3.7.5"), not as text.

#include <QString>
#include <QVariantMap>

namespace UpdateCheck {

// < 0 when a is older than b, 0 when equal, > 0 when newer. Dot-separated parts compare as
// numbers when both are numbers, else as text; missing parts count as 0 ("3.7" == "3.7.0").
int compareVersions(const QString &a, const QString &b);

struct Outcome {
  enum Kind { Ignore, UpToDate, Optional, Forced };
  Kind kind = Ignore;
  QString version; // the backend's version
  QString url;     // download address for the upgrade program (may be empty)
};

// The answer (errorCode, data) of "live-service/version" against our own version text.
Outcome evaluate(int errorCode, const QVariantMap &data, const QString &ownVersion);

} // namespace UpdateCheck
