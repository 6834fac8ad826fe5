#pragma once
// A GStreamer pipeline fed through one appsrc named "src" and drained through one appsink
// named "sink": what every encoder and decoder of the media layer is built on. One owner
// thread calls it; GStreamer's own streaming thread sits between push and pull.

#include <QByteArray>
#include <QString>

typedef struct _GstElement GstElement;

namespace media {

// What came out of the sink. Raw pictures come tightly packed (I420, rows of width bytes).
struct Packet {
  QByteArray bytes;
  qint64 ptsMs = -1;
  bool delta = false; // not a keyframe
  int width = 0;      // raw video only
  int height = 0;
};

class AppPipeline {
public:
  // A gst-launch line; the pipeline is set playing at once.
  explicit AppPipeline(const QByteArray &description);
  ~AppPipeline();
  AppPipeline(const AppPipeline &) = delete;
  AppPipeline &operator=(const AppPipeline &) = delete;

  // False when the line did not build or the pipeline has reported an error since.
  bool isHealthy();
  QString fault() const { return m_fault; }
  GstElement *element(const char *name) const; // not owned; nullptr when there is none

  bool push(const QByteArray &bytes, qint64 ptsMs, qint64 durationMs);
  // A stretch without data (a lost packet), for decoders that conceal it.
  bool pushGap(qint64 ptsMs, qint64 durationMs);
  // The next output, waiting at most timeoutMs (0: only what is there already).
  bool pull(Packet *out, int timeoutMs);

private:
  void readBus();

  GstElement *m_pipeline = nullptr;
  GstElement *m_src = nullptr;
  GstElement *m_sink = nullptr;
  QString m_fault;
};

} // namespace media
