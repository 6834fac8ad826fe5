#include "core/log.h"

#include "core/fdwrite.h"
#include "core/logredact.h"
#include "core/places.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <atomic>
#include <cstdio>
#include <unistd.h>
#include <limits>
#include <memory>

namespace {

struct LogState {
  QMutex mutex;
  std::unique_ptr<QFile> file;
  QString baseDir;
  QString exeDir;
  // Guarded by its own lock: the line is stamped before the file's lock is taken.
  QMutex clockMutex;
  std::function<QDateTime()> clock;
};

// Never destroyed: messages logged from static destructors or late threads must still find it.
LogState &state() {
  static LogState *s = new LogState;
  return *s;
}

std::atomic<int> g_fd{-1};
std::atomic<bool> g_hasClock{false};
// Bumped whenever the clock is replaced, so that no thread keeps a stamp of the old clock.
std::atomic<int> g_clockGeneration{0};

// A message logged while this thread is inside the handler (a warning raised by the file code
// itself) would deadlock on the mutex; it is dropped instead.
thread_local bool t_inHandler = false;

// Formatting a date costs far more than writing the line, and a second holds many lines: each
// thread keeps the stamp of the last second it logged in.
struct Stamp {
  qint64 second = std::numeric_limits<qint64>::min();
  int generation = -1;
  QByteArray text; // "(yyyy-MM-dd hh:mm:ss) "
  QString day;     // "yyyy_MM_dd", names the file when it opens
};
thread_local Stamp t_stamp;

void restamp(Stamp &stamp, qint64 second, int generation, const QDateTime &time) {
  stamp.second = second;
  stamp.generation = generation;
  stamp.text = '(' + time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toLatin1() + ") ";
  stamp.day = time.toString(QStringLiteral("yyyy_MM_dd"));
}

const Stamp &currentStamp() {
  Stamp &stamp = t_stamp;
  const int generation = g_clockGeneration.load(std::memory_order_acquire);
  if (g_hasClock.load(std::memory_order_acquire)) {
    LogState &s = state();
    QDateTime time;
    {
      QMutexLocker lock(&s.clockMutex);
      time = s.clock ? s.clock() : QDateTime::currentDateTime();
    }
    const qint64 second = time.toSecsSinceEpoch();
    if (second != stamp.second || generation != stamp.generation) restamp(stamp, second, generation, time);
    return stamp;
  }
  const qint64 ms = QDateTime::currentMSecsSinceEpoch();
  const qint64 second = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
  if (second != stamp.second || generation != stamp.generation)
    restamp(stamp, second, generation, QDateTime::fromSecsSinceEpoch(second));
  return stamp;
}

QString baseDirectory(LogState &s) {
  if (!s.baseDir.isEmpty()) return s.baseDir;
  // Remember the folder while the application object exists, so that a file reopened after
  // the application is gone still lands in the same place.
  if (QCoreApplication::instance()) s.exeDir = Places::current().logBaseDir();
  return s.exeDir.isEmpty() ? QDir::currentPath() : s.exeDir;
}

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Other local users must not read the log: a folder the log makes is the owner's alone, and
// the file is the owner's alone even when an older one was readable by all.
void makePrivateFolder(const QString &dir) {
  if (QDir(dir).exists()) return;
  if (QDir().mkpath(dir)) QFile::setPermissions(dir, kOwnerOnly | QFileDevice::ExeOwner);
}

void openFile(LogState &s, const QString &day) {
  const QString logDir = baseDirectory(s) + QStringLiteral("/log");
  makePrivateFolder(logDir);
  s.file = std::make_unique<QFile>(logDir + QStringLiteral("/rizhi_") + day + QStringLiteral(".txt"));
  if (s.file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
    s.file->setPermissions(kOwnerOnly);
    g_fd.store(s.file->handle());
  }
}

const char *levelWord(QtMsgType type) {
  switch (type) {
  case QtDebugMsg: return "Debug:";
  case QtWarningMsg: return "Warning:";
  case QtCriticalMsg: return "Critical:";
  case QtFatalMsg: return "Fatal:";
  case QtInfoMsg: return "Info:";
  }
  return "";
}

// Appends the message as UTF-8. Most lines are plain ASCII: those are narrowed straight into
// the line, without a converted copy.
void appendUtf8(QByteArray &line, const QString &msg) {
  const QChar *chars = msg.constData();
  const int n = msg.size();
  for (int i = 0; i < n; ++i)
    if (chars[i].unicode() >= 0x80) {
      line += msg.toUtf8();
      return;
    }
  const int at = line.size();
  line.resize(at + n);
  char *out = line.data() + at;
  for (int i = 0; i < n; ++i) out[i] = char(chars[i].unicode());
}

void appendNumber(QByteArray &line, int value) {
  char digits[16];
  const int n = std::snprintf(digits, sizeof digits, "%d", value);
  line.append(digits, n);
}

// Builds the line in this thread's buffer, which keeps its capacity from line to line.
const QByteArray &formatLine(const QByteArray &stamp, QtMsgType type, const QMessageLogContext &context,
                             const QString &msg) {
  thread_local QByteArray line;
  constexpr int kKeptCapacity = 64 * 1024; // a rare huge message does not stay allocated
  if (line.capacity() > kKeptCapacity) line = QByteArray();
  line.resize(0);
  line.reserve(stamp.size() + msg.size() * 3 + 64);
  line += stamp;
  line += levelWord(type);
  line += " File:(";
  if (context.file) line += context.file;
  line += ") Line:(";
  appendNumber(line, context.line);
  line += ") ";
  appendUtf8(line, msg);
  line += "\r\n";
  return line;
}

} // namespace

void logMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &msg) {
  if (t_inHandler) return;
  t_inHandler = true;
  const Stamp &stamp = currentStamp();
  const QByteArray &line = formatLine(stamp.text, type, context, logredact::redact(msg));
  LogState &s = state();
  {
    QMutexLocker lock(&s.mutex);
    if (!s.file) openFile(s, stamp.day);
    // One write per line keeps the line whole even for a reader that does not take the mutex
    // (the fatal-signal handler appends to the same descriptor), and the line is with the
    // system as soon as it returns. Straight to the descriptor: QFile's own write path costs
    // more than the system call.
    const int fd = g_fd.load(std::memory_order_relaxed);
    if (fd >= 0) fdwrite::writeAll(fd, line.constData(), size_t(line.size()));
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
  QMutexLocker lock(&s.clockMutex);
  g_hasClock.store(bool(clock), std::memory_order_release);
  s.clock = std::move(clock);
  g_clockGeneration.fetch_add(1, std::memory_order_release);
}

QString currentLogFilePath() {
  LogState &s = state();
  QMutexLocker lock(&s.mutex);
  return s.file && s.file->isOpen() ? s.file->fileName() : QString();
}

int logFileDescriptor() { return g_fd.load(); }
