#pragma once
// The program's single log. Every toolkit message, from any thread, becomes one CR LF ended
// line "(yyyy-MM-dd hh:mm:ss) <level> File:(<file>) Line:(<n>) <text>" in
// "<exe dir>/log/rizhi_yyyy_MM_dd.txt". The day in the name is the day the file was opened.

#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <functional>

// The toolkit message handler; start-up installs it with qInstallMessageHandler.
void logMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &msg);

// Closes the log file; the next message opens a new one named after that day.
void closeLog();

// The folder that holds "log/". Empty (the default) means the one core/places.h chooses.
// Tests and benchmarks point it at a scratch folder; takes effect when the file next opens.
void setLogBaseDirectory(const QString &dir);

// Source of the current local time for line stamps and the file's day. Null restores the
// system clock. Lets tests cross midnight without waiting for it.
void setLogClock(std::function<QDateTime()> clock);

// Path of the open log file, empty while none is open.
QString currentLogFilePath();

// File descriptor of the open log file, -1 while none is open. Safe to read from a signal
// handler, so the fatal-signal handler can append its last line without taking the mutex.
int logFileDescriptor();
