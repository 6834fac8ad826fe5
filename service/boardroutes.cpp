#include "service/boardroutes.h"

#include "protocol/usersig.h"
#include "service/hub/hub.h"

#include <QJsonArray>

void BoardRoutes::registerRoutes(ApiRouter &router) {
  router.add(QStringLiteral("board"), QStringLiteral("history"),
             [this](const FormParams &p) { return history(p); });
}

ApiReply BoardRoutes::history(const FormParams &p) const {
  const QString missing =
      p.firstMissing({QStringLiteral("roomId"), QStringLiteral("userId"), QStringLiteral("userSig")});
  if (!missing.isEmpty()) return ApiReply::missing(missing);
  quint32 roomId = 0;
  if (!p.toUInt(QStringLiteral("roomId"), &roomId)) return ApiReply::badParameter(QStringLiteral("roomId"));
  const QString userId = p.value(QStringLiteral("userId"));
  if (usersig::verifyNow(m_secret, userId, p.value(QStringLiteral("userSig"))) != usersig::Check::Ok)
    return ApiReply::error(ApiError::BadToken);
  if (!m_hub || !m_hub->isInRoom(userId, roomId)) return ApiReply::error(ApiError::NotInRoom);
  // Served in pages: "from" is where this page starts, "next" in the answer where the next does.
  qint64 from = 0;
  if (p.has(QStringLiteral("from"))) {
    bool ok = false;
    from = p.value(QStringLiteral("from")).toLongLong(&ok);
    if (!ok || from < 0) return ApiReply::badParameter(QStringLiteral("from"));
  }
  const WhiteboardHistory &kept = m_history ? *m_history : m_hub->whiteboardHistory();
  const WhiteboardHistory::Page page = kept.page(roomId, from);
  QJsonObject data;
  data.insert(QStringLiteral("messages"), page.messages);
  if (page.next >= 0) data.insert(QStringLiteral("next"), page.next);
  return ApiReply::ok(data);
}
