// Media through Janus's VideoRoom (the SDK's WebRTC transport) beside the class hub (its
// WebSocket media frames), in the same run against the same built tarnwick-local: a teacher
// publishes a 640 × 480 camera at 15 fps with its voice and a 1280 × 720 screen at 5 fps;
// each of the students receives all three. For each path it prints
// - bits per second per student for camera, screen and voice (encoded payload);
// - latency from a picture handed to the encoder to its decoded picture (p50, p90);
// - time to the first picture after the student's media path starts;
// - CPU time of the server (Janus, or tarnwick-local with its hub) per student;
// - with 10 % of the UDP packets lost in the namespace, the longest time without a new
//   picture (how long the picture takes to recover) and the pictures shown; the hub's TCP
//   link is not touched by that rule.
// Runs inside the network namespace of scripts/netns.sh (Janus's ICE needs it), as root:
//   bash scripts/netns.sh run build/bin/bench_janus [seconds] [students]

#include "mediapath.h"

#include "support/janusengine.h"
#include "support/localservice.h"
#include "support/servicemember.h"
#include "support/testenv.h"
#include "sdk/net/hubmediatransport.h"
#include "sdk/net/webrtc/janusmediatransport.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

using hubproto::Source;

namespace {
constexpr quint32 kRoom = 300101;
const QString kTeacherId = QStringLiteral("t20001");
const QStringList kStudentIds = {QStringLiteral("s10001"), QStringLiteral("s10002"), QStringLiteral("s10003")};
const QStringList kStudentPhones = {QStringLiteral("13800000001"), QStringLiteral("13800000002"), QStringLiteral("13800000003")};
const QStringList kStudentPasswords = {QStringLiteral("tarnwick01"), QStringLiteral("tarnwick02"), QStringLiteral("tarnwick03")};
constexpr int kCameraW = 640, kCameraH = 480, kCameraFps = 15;
constexpr int kScreenW = 1280, kScreenH = 720, kScreenFps = 5;
constexpr int kWaitMs = 30000;

double percentile(std::vector<double> v, double p) {
  if (v.empty())
    return -1;
  std::sort(v.begin(), v.end());
  return v[size_t(p * double(v.size() - 1))];
}

// CPU seconds a process has used so far (user and system).
double cpuOf(qint64 pid) {
  QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
  if (pid <= 0 || !f.open(QIODevice::ReadOnly))
    return -1;
  const QByteArray stat = f.readAll();
  const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
  if (fields.size() < 13)
    return -1;
  return (fields[11].toDouble() + fields[12].toDouble()) / double(sysconf(_SC_CLK_TCK));
}

qint64 janusPid() {
  QProcess pidof;
  pidof.start(QStringLiteral("pidof"), {QStringLiteral("janus")});
  pidof.waitForFinished(5000);
  return pidof.readAll().trimmed().split(' ').value(0).toLongLong();
}

bool setLoss(int percent) {
  return QProcess::execute(QStringLiteral("bash"), {testenv::sourceDir() + QStringLiteral("/scripts/netns.sh"),
                                                    QStringLiteral("loss"), QString::number(percent)}) == 0;
}

// One way media go: the teacher's transport, the students', and the server doing the work.
struct Path {
  QString name;
  std::unique_ptr<sdk::MediaTransport> teacher;
  std::vector<std::unique_ptr<sdk::MediaTransport>> students;
  std::function<std::unique_ptr<sdk::MediaTransport>(int student)> makeStudent;
  qint64 serverPid = 0;
};

struct Figures {
  double cameraKbps = 0, screenKbps = 0, voiceKbps = 0;
  double latencyP50 = -1, latencyP90 = -1;
  double firstPictureMs = -1;
  double serverCpuPerStudent = -1; // CPU seconds per second of media
  double lossLongestGapMs = -1;
  double lossPicturesPerS = 0;
};

std::vector<double> latencies(const mediapath::Receiver &r, const mediapath::Sender &s, Source source) {
  std::vector<double> out;
  for (const auto &a : r.arrivals(source)) {
    const qint64 sent = s.sentAt(a.second);
    if (a.second >= 0 && sent >= 0)
      out.push_back(double(a.first - sent));
  }
  return out;
}

double longestGap(const mediapath::Receiver::Arrivals &arrivals, qint64 from, qint64 to) {
  qint64 last = from, gap = 0;
  for (const auto &a : arrivals) {
    gap = std::max(gap, a.first - last);
    last = a.first;
  }
  return double(std::max(gap, to - last));
}

Figures measure(Path &path, int seconds, int students) {
  Figures f;
  mediapath::Sender camera(path.teacher.get(), Source::Camera, kCameraW, kCameraH);
  mediapath::Sender screen(path.teacher.get(), Source::Screen, kScreenW, kScreenH);
  camera.start(kCameraFps);
  screen.start(kScreenFps, false);
  QTest::qWait(1000); // the teacher's streams are up before anyone watches
  std::vector<std::unique_ptr<mediapath::Receiver>> receivers;
  const qint64 start = mediapath::nowMs();
  for (int i = 0; i < students; ++i) {
    path.students.push_back(path.makeStudent(i));
    path.students.back()->subscribe({{kTeacherId, Source::Screen}});
    receivers.push_back(std::make_unique<mediapath::Receiver>(path.students.back().get()));
  }
  auto allSee = [&] {
    return std::all_of(receivers.begin(), receivers.end(), [](const auto &r) {
      return r->pictures(Source::Camera) > 0 && r->pictures(Source::Screen) > 0;
    });
  };
  if (!QTest::qWaitFor(allSee, kWaitMs)) {
    std::printf("%s: not every student saw both pictures within %d s\n", qPrintable(path.name), kWaitMs / 1000);
    return f;
  }
  double firstSum = 0;
  for (const auto &r : receivers)
    firstSum += double(r->firstPictureAt() - start);
  f.firstPictureMs = firstSum / students;

  for (auto &r : receivers)
    r->reset();
  const double cpu0 = cpuOf(path.serverPid);
  QTest::qWait(seconds * 1000);
  const double cpu1 = cpuOf(path.serverPid);
  double camBytes = 0, screenBytes = 0, voiceBytes = 0;
  std::vector<double> lat;
  for (const auto &r : receivers) {
    camBytes += double(r->encodedBytes(Source::Camera));
    screenBytes += double(r->encodedBytes(Source::Screen));
    voiceBytes += double(r->encodedBytes(Source::Audio));
    const std::vector<double> l = latencies(*r, camera, Source::Camera);
    lat.insert(lat.end(), l.begin(), l.end());
  }
  const double perStudentSeconds = double(students) * seconds;
  f.cameraKbps = camBytes * 8 / perStudentSeconds / 1000;
  f.screenKbps = screenBytes * 8 / perStudentSeconds / 1000;
  f.voiceKbps = voiceBytes * 8 / perStudentSeconds / 1000;
  f.latencyP50 = percentile(lat, 0.5);
  f.latencyP90 = percentile(lat, 0.9);
  if (cpu0 >= 0 && cpu1 >= 0)
    f.serverCpuPerStudent = (cpu1 - cpu0) / perStudentSeconds;

  if (setLoss(10)) {
    for (auto &r : receivers)
      r->reset();
    const qint64 lossStart = mediapath::nowMs();
    QTest::qWait(seconds * 1000);
    const qint64 lossEnd = mediapath::nowMs();
    setLoss(0);
    double gaps = 0, pictures = 0;
    for (const auto &r : receivers) {
      gaps = std::max(gaps, longestGap(r->arrivals(Source::Camera), lossStart, lossEnd));
      pictures += r->pictures(Source::Camera);
    }
    f.lossLongestGapMs = gaps;
    f.lossPicturesPerS = pictures / perStudentSeconds;
  }
  camera.stop();
  screen.stop();
  path.students.clear();
  return f;
}

void print(const QString &name, const Figures &f) {
  std::printf("%-6s camera %7.0f kbit/s  screen %6.0f kbit/s  voice %5.1f kbit/s  total %7.0f kbit/s per student\n",
              qPrintable(name), f.cameraKbps, f.screenKbps, f.voiceKbps, f.cameraKbps + f.screenKbps + f.voiceKbps);
  std::printf("%-6s latency p50 %5.0f ms  p90 %5.0f ms  first picture %5.0f ms  server CPU %5.1f %% of a core per student\n",
              qPrintable(name), f.latencyP50, f.latencyP90, f.firstPictureMs, f.serverCpuPerStudent * 100);
  std::printf("%-6s 10 %% UDP loss: longest wait for a new camera picture %5.0f ms, %4.1f pictures/s shown\n",
              qPrintable(name), f.lossLongestGapMs, f.lossPicturesPerS);
}

// The hub path: members on tarnwick-local's hub, frames over its WebSocket.
Figures runHub(const LocalService &service, int seconds, int students) {
  Path path;
  path.name = QStringLiteral("hub");
  path.serverPid = service.processId();
  ServiceMember teacher(service, kTeacherId);
  std::vector<std::unique_ptr<ServiceMember>> members;
  if (!teacher.enter(kRoom, QStringLiteral("LiveMaster")) ||
      !teacher.call([&](sdk::HubReplyFn done) { teacher.client.publish(Source::Camera, true, done); }) ||
      !teacher.call([&](sdk::HubReplyFn done) { teacher.client.publish(Source::Screen, false, done); })) {
    std::printf("hub: the teacher could not publish\n");
    return Figures();
  }
  path.teacher = std::make_unique<sdk::HubMediaTransport>(&teacher.client);
  path.makeStudent = [&](int i) -> std::unique_ptr<sdk::MediaTransport> {
    members.push_back(std::make_unique<ServiceMember>(service, kStudentIds[i]));
    ServiceMember &m = *members.back();
    m.enter(kRoom, QStringLiteral("Guest"));
    m.call([&](sdk::HubReplyFn done) { m.client.requestStreams({{kTeacherId, Source::Screen}}, done); });
    return std::make_unique<sdk::HubMediaTransport>(&m.client);
  };
  const Figures f = measure(path, seconds, students);
  path.teacher.reset();
  return f;
}

Figures runJanus(const LocalService &service, int seconds, int students) {
  Path path;
  path.name = QStringLiteral("janus");
  path.serverPid = janusPid();
  path.teacher = std::make_unique<sdk::JanusMediaTransport>(
      mediapath::janusSeat(service, QStringLiteral("13900000001"), QStringLiteral("teacher01"), QStringLiteral("1"), kRoom), kTeacherId);
  std::vector<sdk::JanusEndpoint> seats;
  for (int i = 0; i < students; ++i)
    seats.push_back(mediapath::janusSeat(service, kStudentPhones[i], kStudentPasswords[i], QStringLiteral("0"), kRoom));
  path.makeStudent = [&](int i) -> std::unique_ptr<sdk::MediaTransport> {
    return std::make_unique<sdk::JanusMediaTransport>(seats[size_t(i)], kStudentIds[i]);
  };
  return measure(path, seconds, students);
}
} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const int seconds = argc > 1 ? std::max(2, atoi(argv[1])) : 10;
  const int students = argc > 2 ? std::clamp(atoi(argv[2]), 1, int(kStudentIds.size())) : 2;
  if (qEnvironmentVariableIsEmpty("TARNWICK_NETNS")) {
    std::printf("bench_janus runs inside scripts/netns.sh run (Janus's ICE needs the namespace)\n");
    return 2;
  }
  JanusEngine janus;
  if (!janus.start()) {
    std::printf("Janus did not start: %s\n", qPrintable(janus.errorString()));
    return 1;
  }
  janus.exportServiceEnvironment();
  LocalService service(janus.serviceArgs());
  if (!service.start()) {
    std::printf("tarnwick-local did not start: %s\n", qPrintable(service.errorString()));
    return 1;
  }
  std::printf("%d students, %d s per measure; camera %dx%d at %d fps with voice, screen %dx%d at %d fps\n", students,
              seconds, kCameraW, kCameraH, kCameraFps, kScreenW, kScreenH, kScreenFps);
  const Figures hub = runHub(service, seconds, students);
  const Figures overJanus = runJanus(service, seconds, students);
  print(QStringLiteral("hub"), hub);
  print(QStringLiteral("janus"), overJanus);
  service.stop();
  return 0;
}
