// CPU time per frame (the thread's own) of the video views' media-thread path (convert and
// turn into the canvas), and apart from it the GUI thread's letterboxing of the canvas into the view,
// beside a bare sws_scale of the same frame to the same 32-bit format with the same flags, and the heap
// allocations per frame once the stream is steady. Turned frames are also set beside the
// upright frame of the same size, and beside the ways the path was chosen against: turning
// the planes with a byte loop and converting with libswscale, libyuv's own whole-frame turn
// before its conversion, and the path's own strips (what it falls back to without AVX2 or
// for pictures under 32 pixels a side); and the strips' transpose beside libyuv's, on the luma
// of a frame turned a quarter. Usage: bench_frames [frames per round]
//
// Allocations are counted by standing in for the C allocator (malloc and its aligned
// relatives, which operator new and av_malloc both end in); under a sanitizer, which owns
// the allocator, they are not counted.

#include "av/framepipeline.h"
#include "av/framerotation.h"
#include "av/letterbox.h"
#include "av/planetranspose.h"

#include <libyuv/convert_argb.h>
#include <libyuv/rotate.h>

#include <QImage>
#include <QPainter>
#include <QtGlobal>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

extern "C" {
#include <libswscale/swscale.h>
}

#if defined(__SANITIZE_ADDRESS__)
#define BENCH_COUNTS_ALLOCATIONS 0
#else
#define BENCH_COUNTS_ALLOCATIONS 1
#endif

namespace {
std::atomic<long> g_allocations{0};
std::atomic<bool> g_counting{false};
inline void counted() {
  if (g_counting.load(std::memory_order_relaxed))
    g_allocations.fetch_add(1, std::memory_order_relaxed);
}
} // namespace

#if BENCH_COUNTS_ALLOCATIONS
extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t n, size_t size);
void *__libc_realloc(void *p, size_t size);
void *__libc_memalign(size_t alignment, size_t size);

void *malloc(size_t size) {
  counted();
  return __libc_malloc(size);
}
void *calloc(size_t n, size_t size) {
  counted();
  return __libc_calloc(n, size);
}
void *realloc(void *p, size_t size) {
  counted();
  return __libc_realloc(p, size);
}
void *memalign(size_t alignment, size_t size) {
  counted();
  return __libc_memalign(alignment, size);
}
void *aligned_alloc(size_t alignment, size_t size) {
  counted();
  return __libc_memalign(alignment, size);
}
int posix_memalign(void **out, size_t alignment, size_t size) {
  counted();
  void *p = __libc_memalign(alignment, size);
  if (!p)
    return 12; // ENOMEM
  *out = p;
  return 0;
}
}
#endif

namespace {

// The thread's own CPU time: on a shared machine, wall time also counts whatever else ran.
double threadMicros() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}
constexpr int kRounds = 9;

struct Source {
  int width;
  int height;
  int rotation;
  std::vector<uint8_t> i420;
};

Source makeSource(int width, int height, int rotation) {
  Source s{width, height, rotation, {}};
  s.i420.resize(static_cast<size_t>(FramePipeline::i420Size(width, height)));
  // Moving diagonal bands, so that nothing is uniform enough to take a shortcut.
  for (size_t i = 0; i < s.i420.size(); ++i)
    s.i420[i] = static_cast<uint8_t>((i * 7 + i / static_cast<size_t>(width) * 3) & 0xff);
  return s;
}

ilive::LiveVideoFrame frameOf(const Source &s) {
  ilive::LiveVideoFrame f;
  f.identifier = "bench";
  f.colorFormat = ilive::COLOR_FORMAT_I420;
  f.width = static_cast<uint32_t>(s.width);
  f.height = static_cast<uint32_t>(s.height);
  f.rotate = static_cast<uint32_t>(s.rotation);
  f.data = s.i420.data();
  f.dataSize = static_cast<uint32_t>(s.i420.size());
  return f;
}

// The views' path: two canvases swapped after every frame, as the widget does, and the GUI
// thread's share: letterboxing the last canvas into a window-sized image.
struct PathRun {
  FramePipeline pipeline;
  VideoCanvas canvases[2];
  int next = 0;
  QImage window;
  explicit PathRun(const QSize &view) : window(view, QImage::Format_RGB32) {}
  void frame(const ilive::LiveVideoFrame &f) {
    pipeline.render(f, canvases[next]);
    next ^= 1;
  }
  void paint() {
    const VideoCanvas &c = canvases[next ^ 1];
    const QImage picture(c.bytes.data(), c.width, c.height, c.stride(), QImage::Format_RGB32);
    QPainter painter(&window);
    paintLetterboxed(painter, window.rect(), picture);
  }
};

// The bare conversion the path is measured against.
struct BareRun {
  SwsContext *context = nullptr;
  std::vector<uint8_t> out;
  explicit BareRun(const Source &s) {
    context = sws_getContext(s.width, s.height, AV_PIX_FMT_YUV420P, s.width, s.height, AV_PIX_FMT_BGRA,
                             SWS_BICUBIC, nullptr, nullptr, nullptr);
    out.resize(static_cast<size_t>(s.width) * s.height * VideoCanvas::kBytesPerPixel + 64);
  }
  ~BareRun() { sws_freeContext(context); }
  void frame(const Source &s) {
    const int cw = (s.width + 1) / 2;
    const uint8_t *y = s.i420.data();
    const uint8_t *u = y + static_cast<size_t>(s.width) * s.height;
    const uint8_t *v = u + static_cast<size_t>(cw) * ((s.height + 1) / 2);
    const uint8_t *const src[3] = {y, u, v};
    const int srcStride[3] = {s.width, cw, cw};
    uint8_t *const dst[1] = {out.data()};
    const int dstStride[1] = {s.width * VideoCanvas::kBytesPerPixel};
    sws_scale(context, src, srcStride, 0, s.height, dst, dstStride);
  }
};

// The alternatives to the path's choices, on the bare upright picture (no letterbox).
struct AlternativeRun {
  enum Way { ByteLoopTurnThenSws, LibyuvTurnThenLibyuv, PathInStrips };
  Way way;
  FramePipeline strips{FramePipeline::Turning::Strips}; // the path as it turns without AVX2
  VideoCanvas canvas;
  ilive::LiveVideoFrame source;
  int uprightW, uprightH;
  SwsContext *context = nullptr;
  std::vector<uint8_t> turned, out;
  AlternativeRun(const Source &s, Way w) : way(w), source(frameOf(s)) {
    const bool sideways = s.rotation % 2 == 1;
    uprightW = sideways ? s.height : s.width;
    uprightH = sideways ? s.width : s.height;
    context = sws_getContext(uprightW, uprightH, AV_PIX_FMT_YUV420P, uprightW, uprightH, AV_PIX_FMT_BGRA,
                             SWS_BICUBIC, nullptr, nullptr, nullptr);
    turned.resize(s.i420.size());
    out.resize(static_cast<size_t>(uprightW) * uprightH * VideoCanvas::kBytesPerPixel + 64);
  }
  ~AlternativeRun() { sws_freeContext(context); }
  static void planes(const uint8_t *base, int w, int h, const uint8_t *p[3], int stride[3]) {
    const int cw = (w + 1) / 2;
    p[0] = base;
    p[1] = base + static_cast<size_t>(w) * h;
    p[2] = p[1] + static_cast<size_t>(cw) * ((h + 1) / 2);
    stride[0] = w;
    stride[1] = stride[2] = cw;
  }
  void frame(const Source &s) {
    if (way == PathInStrips) {
      strips.render(source, canvas);
      return;
    }
    const uint8_t *in[3], *up[3];
    int inStride[3], upStride[3];
    planes(s.i420.data(), s.width, s.height, in, inStride);
    planes(turned.data(), uprightW, uprightH, up, upStride);
    if (way == ByteLoopTurnThenSws) {
      for (int i = 0; i < 3; ++i) {
        const int pw = i == 0 ? s.width : (s.width + 1) / 2;
        const int ph = i == 0 ? s.height : (s.height + 1) / 2;
        rotatePlane(in[i], inStride[i], pw, ph, s.rotation, const_cast<uint8_t *>(up[i]), upStride[i], 1);
      }
      uint8_t *const dst[1] = {out.data()};
      const int dstStride[1] = {uprightW * VideoCanvas::kBytesPerPixel};
      sws_scale(context, up, upStride, 0, uprightH, dst, dstStride);
      return;
    }
    if (s.rotation == 0) {
      libyuv::I420ToARGB(in[0], inStride[0], in[1], inStride[1], in[2], inStride[2], out.data(), uprightW * VideoCanvas::kBytesPerPixel,
                          uprightW, uprightH);
      return;
    }
    libyuv::I420Rotate(in[0], inStride[0], in[1], inStride[1], in[2], inStride[2], const_cast<uint8_t *>(up[0]),
                       upStride[0], const_cast<uint8_t *>(up[1]), upStride[1], const_cast<uint8_t *>(up[2]),
                       upStride[2], s.width, s.height, libyuv::RotationMode(s.rotation * 90));
    libyuv::I420ToARGB(up[0], upStride[0], up[1], upStride[1], up[2], upStride[2], out.data(), uprightW * VideoCanvas::kBytesPerPixel,
                        uprightW, uprightH);
  }
};

template <typename Fn> double microsPerFrame(int frames, Fn &&fn) {
  const double start = threadMicros();
  for (int i = 0; i < frames; ++i)
    fn();
  return (threadMicros() - start) / frames;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Figures {
  double path;
  double bare;
  double paint;
  double allocationsPerFrame;
  long firstFrameAllocations;
  double toUpright; // a turned frame's time over the upright frame's of the same size; 0 when upright
};

Figures measure(const Source &s, const QSize &view, int frames) {
  PathRun path(view);
  BareRun bare(s);
  const ilive::LiveVideoFrame f = frameOf(s);
  // The first frame sets up the converter and sizes the canvases and the strip: counted apart,
  // which also shows that the counter sees the path's allocations.
  g_allocations = 0;
  g_counting = true;
  path.frame(f);
  g_counting = false;
  const long firstFrame = g_allocations.load();
  for (int i = 0; i < 10; ++i) { // reach the steady state: both canvases sized
    path.frame(f);
    bare.frame(s);
  }
  g_allocations = 0;
  g_counting = true;
  for (int i = 0; i < frames; ++i)
    path.frame(f);
  g_counting = false;
  const double allocations = static_cast<double>(g_allocations.load()) / frames;

  // Rounds alternate between them, so that a busy neighbour hurts all alike. A turned frame is
  // also set against the upright frame of its size round by round: the ratio of each pair of
  // neighbouring measurements, and their median, holds still on a machine whose load moves.
  const Source uprightSource = makeSource(s.width, s.height, 0);
  const ilive::LiveVideoFrame uprightFrame = frameOf(uprightSource);
  PathRun uprightPath(view);
  for (int i = 0; i < 10; ++i)
    uprightPath.frame(uprightFrame);
  std::vector<double> pathTimes;
  std::vector<double> bareTimes;
  std::vector<double> paintTimes;
  std::vector<double> ratios;
  for (int r = 0; r < kRounds; ++r) {
    pathTimes.push_back(microsPerFrame(frames, [&] { path.frame(f); }));
    bareTimes.push_back(microsPerFrame(frames, [&] { bare.frame(s); }));
    paintTimes.push_back(microsPerFrame(std::max(1, frames / 10), [&] { path.paint(); }));
    if (s.rotation != 0)
      ratios.push_back(pathTimes.back() / microsPerFrame(frames, [&] { uprightPath.frame(uprightFrame); }));
  }
  return {median(pathTimes), median(bareTimes), median(paintTimes), allocations, firstFrame,
          ratios.empty() ? 0.0 : median(ratios)};
}

} // namespace

// Median time per frame of an alternative way, in rounds alternating with the bare conversion.
double alternative(const Source &s, AlternativeRun::Way way, int frames) {
  AlternativeRun run(s, way);
  for (int i = 0; i < 10; ++i)
    run.frame(s);
  std::vector<double> times;
  for (int r = 0; r < kRounds; ++r)
    times.push_back(microsPerFrame(frames, [&] { run.frame(s); }));
  return median(times);
}

// The luma plane of a frame turned a quarter clockwise, in strips of 64 upright rows as the
// path's strips turn it, by the path's transpose and by libyuv's.
void transposes(int frames) {
  std::printf("\ntranspose of the luma, quarter turn in strips of 64 rows (us/frame):\n");
  std::printf("%-16s %14s %14s\n", "frame", "path", "libyuv");
  constexpr int kStrip = 64;
  for (const QSize size : {QSize(640, 480), QSize(1280, 720)}) {
    const int w = size.width();
    const int h = size.height();
    const Source s = makeSource(w, h, 1);
    std::vector<uint8_t> strip(static_cast<size_t>(kStrip) * h);
    const uint8_t *bottom = s.i420.data() + static_cast<size_t>(h - 1) * w;
    auto run = [&](auto transpose) {
      std::vector<double> times;
      for (int r = 0; r < kRounds; ++r)
        times.push_back(microsPerFrame(frames, [&] {
          for (int first = 0; first < w; first += kStrip)
            transpose(bottom + first, -w, strip.data(), h, std::min(kStrip, w - first), h);
        }));
      return median(times);
    };
    const double ours = run(transposePlane);
    const double theirs = run(libyuv::TransposePlane);
    std::printf("%-16s %14.1f %14.1f\n", qPrintable(QStringLiteral("%1x%2").arg(w).arg(h)), ours, theirs);
  }
}

int main(int argc, char **argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  struct Case {
    int width, height, rotation;
    QSize view;
    const char *viewName;
  };
  const QSize large(1280, 720);
  const Case cases[] = {
      {640, 480, 0, {140, 100}, "tile 140x100"},  {640, 480, 0, large, "view 1280x720"},
      {1280, 720, 0, {140, 100}, "tile 140x100"}, {1280, 720, 0, large, "view 1280x720"},
      {640, 480, 1, large, "view 1280x720"},      {640, 480, 2, large, "view 1280x720"},
      {640, 480, 3, large, "view 1280x720"},      {1280, 720, 1, large, "view 1280x720"},
      {641, 481, 0, large, "view 1280x720"},      {641, 481, 1, large, "view 1280x720"},
  };
  std::printf("bench_frames: I420 frame -> upright 32-bit canvas (paint: letterboxed into the view), %d frames x %d rounds (median)\n",
              frames, kRounds);
  std::printf("%-16s %-14s %12s %12s %7s %10s %14s %14s %12s\n", "frame", "into", "path us/f", "bare us/f", "ratio",
              "/upright", "allocs/frame", "first frame", "paint us/f");
  double tileAt640 = 0, viewAt640 = 0, viewAt720 = 0;
  for (const Case &c : cases) {
    const Source s = makeSource(c.width, c.height, c.rotation);
    const Figures fig = measure(s, c.view, frames);
    char frame[32];
    std::snprintf(frame, sizeof frame, "%dx%d%s%.0d", c.width, c.height, c.rotation ? " rot" : "", c.rotation);
    const bool intoLarge = c.view == large;
    std::printf("%-16s %-14s %12.1f %12.1f %7.2f ", frame, c.viewName, fig.path, fig.bare, fig.path / fig.bare);
    if (fig.toUpright > 0)
      std::printf("%10.2f ", fig.toUpright);
    else
      std::printf("%10s ", "");
    if (BENCH_COUNTS_ALLOCATIONS)
      std::printf("%14.2f %14ld ", fig.allocationsPerFrame, fig.firstFrameAllocations);
    else
      std::printf("%14s %14s ", "n/a", "n/a");
    std::printf("%12.1f\n", fig.paint);
    if (c.width == 640 && c.rotation == 0)
      (c.view.width() == 140 ? tileAt640 : viewAt640) = fig.path;
    if (c.width == 1280 && intoLarge && c.rotation == 0)
      viewAt720 = fig.path;
  }
  // A class as the student sees it: teacher 640x480 at 15 fps in the large view, the screen
  // 1280x720 at 5 fps, five stage tiles of 640x480 at 15 fps.
  const double perSecond = 15 * viewAt640 + 5 * viewAt720 + 5 * 15 * tileAt640;
  std::printf("class (teacher 640x480@15 + screen 1280x720@5 + 5 tiles 640x480@15): %.1f ms CPU per second\n",
              perSecond / 1000.0);

  // What the path's choices were set against, on the bare picture (no letterbox), beside the
  // bare sws_scale of the same frame measured again in this run.
  std::printf("\nalternatives (upright picture only, no letterbox):\n");
  std::printf("%-16s %14s %18s %18s %18s\n", "frame", "bare sws us/f", "byte loop+sws", "libyuv turn+conv",
              "path in strips");
  const int alternativeCases[][3] = {{640, 480, 0}, {640, 480, 1}, {640, 480, 2}, {1280, 720, 1}};
  for (const auto &a : alternativeCases) {
    const Source s = makeSource(a[0], a[1], a[2]);
    BareRun bare(s);
    std::vector<double> bareTimes;
    for (int r = 0; r < kRounds; ++r)
      bareTimes.push_back(microsPerFrame(frames, [&] { bare.frame(s); }));
    char frame[32];
    std::snprintf(frame, sizeof frame, "%dx%d%s%.0d", a[0], a[1], a[2] ? " rot" : "", a[2]);
    char byteLoop[32] = "-";
    char strips[32] = "-";
    if (a[2] != 0) {
      std::snprintf(byteLoop, sizeof byteLoop, "%.1f", alternative(s, AlternativeRun::ByteLoopTurnThenSws, frames));
      std::snprintf(strips, sizeof strips, "%.1f", alternative(s, AlternativeRun::PathInStrips, frames));
    }
    std::printf("%-16s %14.1f %18s %18.1f %18s\n", frame, median(bareTimes), byteLoop,
                alternative(s, AlternativeRun::LibyuvTurnThenLibyuv, frames), strips);
  }
  transposes(frames);
  return 0;
}
