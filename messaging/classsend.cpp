#include "messaging/classsend.h"

#include "messaging/classcommand.h"

#include <QDebug>

void g_buildClassCommand(ClassCommandCode userAction, const QString &actionParam, ilive::Message &out) {
  const QByteArray json = ClassCommand::toJson(toWire(userAction), actionParam);
  out.addElem(new ilive::MessageCustomElem(ilive::String(json.constData(), size_t(json.size())),
                                           ClassCommand::kExt));
}

void g_sendGroupCmd(ilive::Message &message, ilive::SuccCallback succ, ilive::ErrCallback err,
                    void *data) {
  qDebug("g_sendGroupCmd--message.elems.size=%d", int(message.elems.size()));
  GetILive()->sendGroupMessage(message, succ, err, data);
}

void g_sendGroupCustomCmd(ClassCommandCode userAction, const QString &actionParam, ilive::SuccCallback succ,
                          ilive::ErrCallback err, void *data) {
  qDebug("g_sendGroupCustomCmd--userAction=%d, actionParam=%s", toWire(userAction),
         actionParam.toUtf8().constData());
  ilive::Message message;
  g_buildClassCommand(userAction, actionParam, message);
  GetILive()->sendGroupMessage(message, succ, err, data);
}

void g_sendC2CCustomCmd(const QString &dstUser, ClassCommandCode userAction, const QString &actionParam,
                        ilive::SuccCallback succ, ilive::ErrCallback err, void *data) {
  const QByteArray user = dstUser.toUtf8();
  qDebug("g_sendC2CCustomCmd--dstUser=%s, userAction=%d, actionParam=%s", user.constData(),
         toWire(userAction), actionParam.toUtf8().constData());
  ilive::Message message;
  g_buildClassCommand(userAction, actionParam, message);
  GetILive()->sendC2CMessage(user.constData(), message, succ, err, data);
}
