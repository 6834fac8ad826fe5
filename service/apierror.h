#pragma once
// The service's own error numbers and the Chinese texts the client shows unchanged.

#include <QString>

enum class ApiError {
  MissingParameter = 10001,
  BadParameter = 10002,
  UnknownPhone = 10003,
  WrongPassword = 10004,
  BadToken = 10005,
  UnknownRoom = 10006,
  RoleNotAllowed = 10007,
  LineTypeMismatch = 10008,
  CodeTooFrequent = 10009,
  // The classroom treats this one on "exit" as "already out", not as a failure.
  NotInRoom = 10010,
  WrongCode = 10011,
  UnknownBucket = 10012,
  BadPhone = 10013,
  BadPassword = 10014,
  BadName = 10015,
  NotEnoughGold = 10016,
  UnknownItem = 10017,
  // The picture store's refusals (answered with an HTTP error status as well).
  NoUploadSignature = 10018,
  BadUploadSignature = 10019,
  NotAnImage = 10020,
  PictureTooLarge = 10021,
  BadStoragePath = 10022,
  BadUpload = 10023,
  SignInLocked = 10024,
  PictureExists = 10025,
  PictureQuotaFull = 10026,
  BadPictureAddress = 10027,
  BadRequest = 400,
  UnknownApi = 404,
  Internal = 500,
};

namespace apierror {
int code(ApiError e);
// The text for e; "%1" in it is filled with detail (a parameter name, a wait time, a path).
QString text(ApiError e, const QString &detail = QString());
} // namespace apierror
