#pragma once
// Error and tip boxes: non-modal information boxes that delete themselves when closed.
// GUI thread only.

#include <QString>

class QWidget;

// Logs the code, message and detail, and shows "错误码:   <code>\n错误信息: <message>"
// titled "错误". The detail goes to the log only.
void ShowCodeErrorTips(int code, const QString &message, QWidget *parent, const QString &detail = QString());

// Logs the message and shows it titled "错误".
void ShowCodeErrorTips(const QString &message, QWidget *parent);

// Shows a tip, unless the same text was asked for less than 2 seconds ago.
void showTips(const QString &title, const QString &text, QWidget *parent);
