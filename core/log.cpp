#include "core/log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <atomic>
#include <memory>

namespace {

struct LogState {
  QMutex mutex;
  std::unique_ptr<QFile> file;
  QString baseDir;
  QString exeDir;
  std::function<QDateTime()> clock;
};

// Never destroyed: messages logged from static destructors or late threads must still find it.
LogState &state() {
  static LogState *s = new LogState;
  return *s;
}

std::atomic<int> g_fd{-1};

// A message logged while this thread is inside the handler (a warning raised by the file code
// itself) would deadlock on the mutex; it is dropped instead.
thread_local bool t_inHandler = false;

QDateTime now(const LogState &s) { return s.clock ? s.clock() : QDateTime::currentDateTime(); }

QString baseDirectory(LogState &s) {
  if (!s.baseDir.isEmpty()) return s.baseDir;
  // Remember the executable's folder while the application object exists, so that a file
  // reopened after the application is gone still lands in the same place.
  if (QCoreApplication::instance()) s.exeDir = QCoreApplication::applicationDirPath();
  return s.exeDir.isEmpty() ? QDir::currentPath() : s.exeDir;
}

void openFile(LogState &s, const QString &day) {
  const QString logDir = baseDirectory(s) + QStringLiteral("/log");
  QDir().mkpath(logDir);
  s.file = std::make_unique<QFile>(QStringLiteral("%1/rizhi_%2.txt").arg(logDir, day));
  if (s.file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
    g_fd.store(s.file->handle());
}

QString levelWord(QtMsgType type) {
  switch (type) {
  case QtDebugMsg: return QStringLiteral("Debug:");
  case QtWarningMsg: return QStringLiteral("Warning:");
  case QtCriticalMsg: return QStringLiteral("Critical:");
  case QtFatalMsg: return QStringLiteral("Fatal:");
  case QtInfoMsg: return QStringLiteral("Info:");
  }
  return QString();
}

QByteArray formatLine(QtMsgType type, const QMessageLogContext &context, const QString &msg,
                      const QDateTime &time) {
  const QString source = QStringLiteral("File:(") + QString::fromUtf8(context.file ? context.file : "") +
                         QStringLiteral(") Line:(") + QString::number(context.line) + QLatin1Char(')');
  const QString stamp = QLatin1Char('(') + time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) + QLatin1Char(')');
  const QString line = stamp + QLatin1Char(' ') + levelWord(type) + QLatin1Char(' ') + source +
                       QLatin1Char(' ') + msg + QStringLiteral("\r\n");
  return line.toUtf8();
}

} // namespace

void logMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &msg) {
  if (t_inHandler) return;
  t_inHandler = true;
  LogState &s = state();
  {
    QMutexLocker lock(&s.mutex);
    const QDateTime time = now(s);
    if (!s.file) openFile(s, time.toString(QStringLiteral("yyyy_MM_dd")));
    // One write per line keeps the line whole even for a reader that does not take the mutex
    // (the fatal-signal handler appends to the same descriptor).
    if (s.file->isOpen()) {
      s.file->write(formatLine(type, context, msg, time));
      s.file->flush();
    }
  }
  t_inHandler = false;
}

void closeLog() {
  LogState &s = state();
  QMutexLocker lock(&s.mutex);
  g_fd.store(-1);
  s.file.reset();
}

void setLogBaseDirectory(const QString &dir) {
  LogState &s = state();
  QMutexLocker lock(&s.mutex);
  s.baseDir = dir;
}

void setLogClock(std::function<QDateTime()> clock) {
  LogState &s = state();
  QMutexLocker lock(&s.mutex);
  s.clock = std::move(clock);
}

QString currentLogFilePath() {
  LogState &s = state();
  QMutexLocker lock(&s.mutex);
  return s.file && s.file->isOpen() ? s.file->fileName() : QString();
}

int logFileDescriptor() { return g_fd.load(); }
