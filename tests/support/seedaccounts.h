#pragma once
// The local service's seed accounts and class that whole-class tests sign in with
// (docs/service.md, "Seed accounts").

#include <QString>

namespace seed {

inline const QString kStudentPhone = QStringLiteral("13800000001");
inline const QString kStudentPassword = QStringLiteral("tarnwick01");
inline const QString kClassmatePhone = QStringLiteral("13800000002");
inline const QString kClassmatePassword = QStringLiteral("tarnwick02");
inline const QString kTeacherPhone = QStringLiteral("13900000001");
inline const QString kTeacherPassword = QStringLiteral("teacher01");
inline const QString kMaster = QStringLiteral("t20001"); // the class's teacher
constexpr int kRoomId = 300101;                          // 初二数学提高班

} // namespace seed
