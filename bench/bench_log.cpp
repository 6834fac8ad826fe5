// Lines per second through the log handler and through spdlog's file sink flushing every line,
// from 1 and from 4 threads, each into a scratch folder, in the same run. Both write the same
// line shape, so after each run both files are read back with the same check: every line must
// be whole and each thread's lines in the order it logged them.
// The machine is shared, so the two take turns for several rounds and the median of each is
// printed. Usage: bench_log [lines per thread, default 200000] [rounds, default 5]

#include "core/log.h"

#include <spdlog/pattern_formatter.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/spdlog.h>

#include <QCoreApplication>
#include <algorithm>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

using LogFn = std::function<void(int thread, int index)>;

void ourLine(int thread, int index) {
  static const QMessageLogContext context;
  logMessageHandler(QtDebugMsg, context,
                    QStringLiteral("bench t%1 n%2 some ordinary payload text")
                        .arg(QString::number(thread), QString::number(index)));
}

std::shared_ptr<spdlog::logger> makeSpdlog(const QString &path) {
  auto logger = std::make_shared<spdlog::logger>(
      "bench", std::make_shared<spdlog::sinks::basic_file_sink_mt>(path.toStdString()));
  logger->set_formatter(std::make_unique<spdlog::pattern_formatter>(
      "(%Y-%m-%d %H:%M:%S) Debug: File:() Line:(0) %v", spdlog::pattern_time_type::local, "\r\n"));
  logger->set_level(spdlog::level::debug);
  logger->flush_on(spdlog::level::debug);
  return logger;
}

double run(int threads, int linesPerThread, const LogFn &log) {
  std::vector<std::unique_ptr<QThread>> workers;
  QElapsedTimer timer;
  timer.start();
  for (int t = 0; t < threads; ++t) {
    workers.emplace_back(QThread::create([t, linesPerThread, &log] {
      for (int i = 0; i < linesPerThread; ++i) log(t, i);
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

struct Figure {
  double rate = 0;
  QString problem;
};

Figure measureOurs(int threads, int lines) {
  QTemporaryDir dir;
  setLogBaseDirectory(dir.path());
  Figure f;
  f.rate = run(threads, lines, ourLine);
  const QString path = currentLogFilePath();
  closeLog();
  f.problem = verify(path, threads, lines);
  return f;
}

Figure measureSpdlog(int threads, int lines) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("spdlog.txt"));
  Figure f;
  {
    const auto logger = makeSpdlog(path);
    f.rate = run(threads, lines, [&logger](int t, int i) {
      logger->debug("bench t{} n{} some ordinary payload text", t, i);
    });
  }
  f.problem = verify(path, threads, lines);
  return f;
}

// Median rate over the rounds; the first problem any round found.
Figure median(std::vector<Figure> rounds) {
  Figure f;
  for (const Figure &r : rounds)
    if (f.problem.isEmpty()) f.problem = r.problem;
  std::sort(rounds.begin(), rounds.end(), [](const Figure &a, const Figure &b) { return a.rate < b.rate; });
  f.rate = rounds[rounds.size() / 2].rate;
  return f;
}

void print(const char *who, int threads, int lines, const Figure &f) {
  std::printf("%-22s %d thread%s: %9.0f lines/s (median, %d lines a round) - %s\n", who, threads,
              threads > 1 ? "s" : " ", f.rate, threads * lines,
              f.problem.isEmpty() ? "all lines whole and in order" : qPrintable(f.problem));
}

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const int lines = argc > 1 ? QByteArray(argv[1]).toInt() : 200000;
  const int rounds = qMax(1, argc > 2 ? QByteArray(argv[2]).toInt() : 5);
  bool allOk = true;
  for (int threads : {1, 4}) {
    std::vector<Figure> oursRounds, theirsRounds;
    for (int r = 0; r < rounds; ++r) {
      oursRounds.push_back(measureOurs(threads, lines));
      theirsRounds.push_back(measureSpdlog(threads, lines));
    }
    const Figure ours = median(oursRounds);
    const Figure theirs = median(theirsRounds);
    print("log handler", threads, lines, ours);
    print("spdlog file sink", threads, lines, theirs);
    std::printf("ratio (log handler / spdlog), %d thread%s: %.2f\n\n", threads, threads > 1 ? "s" : "",
                ours.rate / theirs.rate);
    allOk = allOk && ours.problem.isEmpty() && theirs.problem.isEmpty();
  }
  return allOk ? 0 : 1;
}
