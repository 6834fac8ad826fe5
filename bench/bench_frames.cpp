// Time per frame of the video views' whole path (convert, turn, letterbox into the canvas)
// beside a bare sws_scale of the same frame to BGR24 with the same flags, and the heap
// allocations per frame once the stream is steady. Usage: bench_frames [frames per round]
//
// Allocations are counted by standing in for the C allocator (malloc and its aligned
// relatives, which operator new and av_malloc both end in); under a sanitizer, which owns
// the allocator, they are not counted.

#include "av/framepipeline.h"

#include <QtGlobal>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 5;

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

// The views' path: two canvases swapped after every frame, as the widget does.
struct PathRun {
  FramePipeline pipeline;
  VideoCanvas canvases[2];
  int next = 0;
  void frame(const ilive::LiveVideoFrame &f, const QSize &view) {
    pipeline.render(f, view, canvases[next]);
    next ^= 1;
  }
};

// The bare conversion the path is measured against.
struct BareRun {
  SwsContext *context = nullptr;
  std::vector<uint8_t> out;
  explicit BareRun(const Source &s) {
    context = sws_getContext(s.width, s.height, AV_PIX_FMT_YUV420P, s.width, s.height, AV_PIX_FMT_BGR24,
                             SWS_BICUBIC, nullptr, nullptr, nullptr);
    out.resize(static_cast<size_t>(s.width) * s.height * 3 + 64);
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
    const int dstStride[1] = {s.width * 3};
    sws_scale(context, src, srcStride, 0, s.height, dst, dstStride);
  }
};

template <typename Fn> double microsPerFrame(int frames, Fn &&fn) {
  const auto start = Clock::now();
  for (int i = 0; i < frames; ++i)
    fn();
  const std::chrono::duration<double, std::micro> spent = Clock::now() - start;
  return spent.count() / frames;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Figures {
  double path;
  double bare;
  double allocationsPerFrame;
  long firstFrameAllocations;
};

Figures measure(const Source &s, const QSize &view, int frames) {
  PathRun path;
  BareRun bare(s);
  const ilive::LiveVideoFrame f = frameOf(s);
  // The first frame makes the converter and sizes the canvases: counted apart, which also
  // shows that the counter sees libswscale's allocations.
  g_allocations = 0;
  g_counting = true;
  path.frame(f, view);
  g_counting = false;
  const long firstFrame = g_allocations.load();
  for (int i = 0; i < 10; ++i) { // reach the steady state: both canvases sized
    path.frame(f, view);
    bare.frame(s);
  }
  g_allocations = 0;
  g_counting = true;
  for (int i = 0; i < frames; ++i)
    path.frame(f, view);
  g_counting = false;
  const double allocations = static_cast<double>(g_allocations.load()) / frames;

  // Rounds alternate between the two, so that a busy neighbour hurts both alike.
  std::vector<double> pathTimes;
  std::vector<double> bareTimes;
  for (int r = 0; r < kRounds; ++r) {
    pathTimes.push_back(microsPerFrame(frames, [&] { path.frame(f, view); }));
    bareTimes.push_back(microsPerFrame(frames, [&] { bare.frame(s); }));
  }
  return {median(pathTimes), median(bareTimes), allocations, firstFrame};
}

} // namespace

int main(int argc, char **argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  struct Case {
    int width, height, rotation;
    QSize view;
    const char *viewName;
  };
  const Case cases[] = {
      {640, 480, 0, {140, 100}, "tile 140x100"},   {640, 480, 0, {1280, 720}, "view 1280x720"},
      {1280, 720, 0, {140, 100}, "tile 140x100"},  {1280, 720, 0, {1280, 720}, "view 1280x720"},
      {640, 480, 1, {1280, 720}, "view 1280x720"},
  };
  std::printf("bench_frames: I420 frame -> upright letterboxed BGR24 canvas, %d frames x %d rounds (median)\n",
              frames, kRounds);
  std::printf("%-16s %-14s %12s %12s %7s %14s %14s\n", "frame", "into", "path us/f", "bare us/f", "ratio",
              "allocs/frame", "first frame");
  double tileAt640 = 0, viewAt640 = 0, viewAt720 = 0;
  for (const Case &c : cases) {
    const Source s = makeSource(c.width, c.height, c.rotation);
    const Figures fig = measure(s, c.view, frames);
    char frame[32];
    std::snprintf(frame, sizeof frame, "%dx%d%s", c.width, c.height, c.rotation ? " rot1" : "");
    std::printf("%-16s %-14s %12.1f %12.1f %7.2f ", frame, c.viewName, fig.path, fig.bare, fig.path / fig.bare);
    if (BENCH_COUNTS_ALLOCATIONS)
      std::printf("%14.2f %14ld\n", fig.allocationsPerFrame, fig.firstFrameAllocations);
    else
      std::printf("%14s %14s\n", "n/a", "n/a");
    if (c.width == 640 && c.rotation == 0)
      (c.view.width() == 140 ? tileAt640 : viewAt640) = fig.path;
    if (c.width == 1280 && c.view.width() == 1280)
      viewAt720 = fig.path;
  }
  // A class as the student sees it: teacher 640x480 at 15 fps in the large view, the screen
  // 1280x720 at 5 fps, five stage tiles of 640x480 at 15 fps.
  const double perSecond = 15 * viewAt640 + 5 * viewAt720 + 5 * 15 * tileAt640;
  std::printf("class (teacher 640x480@15 + screen 1280x720@5 + 5 tiles 640x480@15): %.1f ms CPU per second\n",
              perSecond / 1000.0);
  return 0;
}
