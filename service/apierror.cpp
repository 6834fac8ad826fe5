#include "service/apierror.h"

namespace apierror {

int code(ApiError e) { return static_cast<int>(e); }

static QString pattern(ApiError e) {
  switch (e) {
  case ApiError::MissingParameter: return QStringLiteral("缺少参数：%1");
  case ApiError::BadParameter: return QStringLiteral("参数格式错误：%1");
  case ApiError::UnknownPhone: return QStringLiteral("该手机号尚未注册");
  case ApiError::WrongPassword: return QStringLiteral("密码错误，请重新输入");
  case ApiError::BadToken: return QStringLiteral("登录已失效，请重新登录");
  case ApiError::UnknownRoom: return QStringLiteral("教室不存在");
  case ApiError::RoleNotAllowed: return QStringLiteral("没有以该身份进入教室的权限");
  case ApiError::LineTypeMismatch: return QStringLiteral("教室线路不匹配，请重新进入教室");
  case ApiError::CodeTooFrequent: return QStringLiteral("验证码发送过于频繁，请%1秒后再试");
  case ApiError::NotInRoom: return QStringLiteral("您不在该教室中");
  case ApiError::WrongCode: return QStringLiteral("验证码错误或已过期");
  case ApiError::UnknownBucket: return QStringLiteral("存储空间不存在：%1");
  case ApiError::BadPhone: return QStringLiteral("手机号格式不正确");
  case ApiError::BadPassword: return QStringLiteral("密码长度须为6到20位");
  case ApiError::BadName: return QStringLiteral("%1");
  case ApiError::NotEnoughGold: return QStringLiteral("金币不足，无法兑换");
  case ApiError::UnknownItem: return QStringLiteral("该商品不存在或已下架");
  case ApiError::NoUploadSignature: return QStringLiteral("缺少上传签名");
  case ApiError::BadUploadSignature: return QStringLiteral("上传签名无效或已过期");
  case ApiError::NotAnImage: return QStringLiteral("只能上传PNG或JPEG图片");
  case ApiError::PictureTooLarge: return QStringLiteral("图片不能超过%1");
  case ApiError::BadStoragePath: return QStringLiteral("存储路径不合法：%1");
  case ApiError::BadUpload: return QStringLiteral("上传内容格式错误：%1");
  case ApiError::SignInLocked: return QStringLiteral("登录失败次数过多，请%1秒后再试");
  case ApiError::PictureExists: return QStringLiteral("图片已存在，不能覆盖");
  case ApiError::PictureQuotaFull: return QStringLiteral("图片空间已满，今天不能再上传图片");
  case ApiError::BadPictureAddress: return QStringLiteral("图片地址无效或已过期");
  case ApiError::BadRequest: return QStringLiteral("请求无法处理（HTTP %1）");
  case ApiError::UnknownApi: return QStringLiteral("接口不存在：%1");
  case ApiError::Internal: return QStringLiteral("服务器内部错误，请稍后重试");
  }
  return QStringLiteral("未知错误");
}

QString text(ApiError e, const QString &detail) {
  const QString p = pattern(e);
  return p.contains(QLatin1String("%1")) ? p.arg(detail) : p;
}

} // namespace apierror
