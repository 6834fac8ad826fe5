// Lines per second through the log handler, from 1 and from 4 threads, into a scratch folder.
// After each run the file is read back: every line must be whole and each thread's lines in
// the order it logged them. Usage: bench_log [lines per thread, default 200000]

#include "core/log.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

void logLine(int thread, int index) {
  static const QMessageLogContext context;
  logMessageHandler(QtDebugMsg, context,
                    QStringLiteral("bench t%1 n%2 some ordinary payload text").arg(thread).arg(index));
}

double run(int threads, int linesPerThread) {
  std::vector<std::unique_ptr<QThread>> workers;
  QElapsedTimer timer;
  timer.start();
  for (int t = 0; t < threads; ++t) {
    workers.emplace_back(QThread::create([t, linesPerThread] {
      for (int i = 0; i < linesPerThread; ++i) logLine(t, i);
    }));
    workers.back()->start();
  }
  for (auto &w : workers) w->wait();
  const double seconds = timer.nsecsElapsed() / 1e9;
  return threads * double(linesPerThread) / seconds;
}

// Returns an empty string when every line is whole and ordered, else what is wrong.
QString verify(const QString &path, int threads, int linesPerThread) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return QStringLiteral("cannot read ") + path;
  std::vector<int> next(size_t(threads), 0);
  const QByteArray suffix(" some ordinary payload text\r");
  int lineNo = 0;
  while (!f.atEnd()) {
    const QByteArray line = f.readLine();
    ++lineNo;
    const int at = line.indexOf(") Debug: File:() Line:(0) bench t");
    if (!line.startsWith('(') || at != 20 || !line.endsWith("\r\n"))
      return QStringLiteral("malformed line %1").arg(lineNo);
    const QList<QByteArray> words = line.mid(at + 32).split(' ');
    const int t = words.value(0).mid(1).toInt();
    const int n = words.value(1).mid(1).toInt();
    if (t < 0 || t >= threads || n != next[size_t(t)]) return QStringLiteral("out of order at line %1").arg(lineNo);
    ++next[size_t(t)];
    if (!line.chopped(1).endsWith(suffix)) return QStringLiteral("torn line %1").arg(lineNo);
  }
  for (int t = 0; t < threads; ++t)
    if (next[size_t(t)] != linesPerThread) return QStringLiteral("thread %1 lost lines").arg(t);
  return QString();
}

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const int lines = argc > 1 ? QByteArray(argv[1]).toInt() : 200000;
  bool allOk = true;
  for (int threads : {1, 4}) {
    QTemporaryDir dir;
    setLogBaseDirectory(dir.path());
    const double rate = run(threads, lines);
    const QString path = currentLogFilePath();
    closeLog();
    const QString problem = verify(path, threads, lines);
    allOk = allOk && problem.isEmpty();
    std::printf("log handler, %d thread%s: %.0f lines/s (%d lines) - %s\n", threads, threads > 1 ? "s" : "", rate,
                threads * lines, problem.isEmpty() ? "all lines whole and in order" : qPrintable(problem));
  }
  return allOk ? 0 : 1;
}
