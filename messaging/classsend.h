#pragma once
// Sending class messages: chat text and faces, and class commands to the class group or to
// one user. Each writes one log line before sending. The callbacks are the live SDK's; the
// classroom passes none, so nothing observes the outcome.

#include "protocol/classcommandcode.h"
#include "sdk/live/ilive.h"

#include <QString>

void g_sendGroupCmd(ilive::Message &message, ilive::SuccCallback succ = nullptr,
                    ilive::ErrCallback err = nullptr, void *data = nullptr);
void g_sendGroupCustomCmd(ClassCommandCode userAction, const QString &actionParam,
                          ilive::SuccCallback succ = nullptr, ilive::ErrCallback err = nullptr,
                          void *data = nullptr);
void g_sendC2CCustomCmd(const QString &dstUser, ClassCommandCode userAction, const QString &actionParam,
                        ilive::SuccCallback succ = nullptr, ilive::ErrCallback err = nullptr,
                        void *data = nullptr);

// The message of one class command: a single custom element, data = the command's JSON,
// ext = "LiveNotification".
void g_buildClassCommand(ClassCommandCode userAction, const QString &actionParam, ilive::Message &out);
