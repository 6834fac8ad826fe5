#include "core/crashplatform.h"
#include "core/fdwrite.h"
#include "core/log.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <exception>
#include <execinfo.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kSignalCount = sizeof(kFatalSignals) / sizeof(kFatalSignals[0]);
constexpr int kMaxFrames = 48;

struct sigaction g_previous[kSignalCount];
bool g_installed = false;
long g_utcOffsetSeconds = 0;
// Own stack for the handler, so that a stack overflow can still be reported.
alignas(16) char g_altStack[64 * 1024];
stack_t g_previousAltStack{};

// Everything below runs inside a signal handler: no allocation, no locks, no stdio.
class LineBuffer {
public:
  void add(const char *text) {
    while (text && *text && m_len < sizeof(m_data) - 3) m_data[m_len++] = *text++;
  }
  void addDecimal(unsigned long value, int width = 0) {
    char digits[24];
    int n = 0;
    do {
      digits[n++] = char('0' + value % 10);
      value /= 10;
    } while (value && n < 24);
    while (n < width && n < 24) digits[n++] = '0';
    while (n > 0 && m_len < sizeof(m_data) - 3) m_data[m_len++] = digits[--n];
  }
  void addHex(uintptr_t value) {
    add("0x");
    char digits[2 * sizeof(uintptr_t)];
    int n = 0;
    do {
      digits[n++] = "0123456789abcdef"[value & 0xf];
      value >>= 4;
    } while (value);
    while (n > 0 && m_len < sizeof(m_data) - 3) m_data[m_len++] = digits[--n];
  }
  // The CR LF always fits: add() keeps three bytes in reserve.
  void endLine() {
    m_data[m_len++] = '\r';
    m_data[m_len++] = '\n';
  }
  const char *data() const { return m_data; }
  size_t size() const { return m_len; }

private:
  char m_data[8192];
  size_t m_len = 0;
};

const char *signalName(int sig) {
  switch (sig) {
  case SIGSEGV: return "SIGSEGV";
  case SIGBUS: return "SIGBUS";
  case SIGFPE: return "SIGFPE";
  case SIGILL: return "SIGILL";
  case SIGABRT: return "SIGABRT";
  }
  return "signal";
}

// Local time from the offset captured at installation: localtime_r is not safe in a handler.
void addStamp(LineBuffer &line) {
  const long long t = static_cast<long long>(time(nullptr)) + g_utcOffsetSeconds;
  long long days = t / 86400;
  long long secs = t % 86400;
  if (secs < 0) {
    secs += 86400;
    --days;
  }
  const long long z = days + 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const long long day = doy - (153 * mp + 2) / 5 + 1;
  const long long month = mp < 10 ? mp + 3 : mp - 9;
  const long long year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  line.add("(");
  line.addDecimal(static_cast<unsigned long>(year), 4);
  line.add("-");
  line.addDecimal(static_cast<unsigned long>(month), 2);
  line.add("-");
  line.addDecimal(static_cast<unsigned long>(day), 2);
  line.add(" ");
  line.addDecimal(static_cast<unsigned long>(secs / 3600), 2);
  line.add(":");
  line.addDecimal(static_cast<unsigned long>(secs / 60 % 60), 2);
  line.add(":");
  line.addDecimal(static_cast<unsigned long>(secs % 60), 2);
  line.add(")");
}

const char *baseName(const char *path) {
  const char *slash = path ? strrchr(path, '/') : nullptr;
  return slash ? slash + 1 : (path ? path : "?");
}

void addFrame(LineBuffer &line, int index, void *address) {
  line.add(" #");
  line.addDecimal(static_cast<unsigned long>(index));
  line.add(" ");
  Dl_info info{};
  const uintptr_t pc = reinterpret_cast<uintptr_t>(address);
  if (dladdr(address, &info) && info.dli_fname) {
    line.add(baseName(info.dli_fname));
    line.add("(");
    if (info.dli_sname) {
      line.add(info.dli_sname);
      line.add("+");
      line.addHex(pc - reinterpret_cast<uintptr_t>(info.dli_saddr));
    } else {
      line.add("+");
      line.addHex(pc - reinterpret_cast<uintptr_t>(info.dli_fbase));
    }
    line.add(")");
  } else {
    line.addHex(pc);
  }
}

void onFatalSignal(int sig, siginfo_t *info, void *) {
  LineBuffer line;
  addStamp(line);
  line.add(" Fatal: File:() Line:(0) fatal signal ");
  line.addDecimal(static_cast<unsigned long>(sig));
  line.add(" (");
  line.add(signalName(sig));
  line.add(")");
  // Only a fault raised by the kernel has a meaningful address; a sent signal has none.
  if (info && info->si_code > 0 && sig != SIGABRT) {
    line.add(" at ");
    line.addHex(reinterpret_cast<uintptr_t>(info->si_addr));
  }
  line.add(", backtrace:");
  void *frames[kMaxFrames];
  const int count = backtrace(frames, kMaxFrames);
  for (int i = 1; i < count; ++i) addFrame(line, i - 1, frames[i]); // frame 0 is this handler
  line.endLine();

  const int fd = logFileDescriptor();
  if (fd >= 0) fdwrite::writeAll(fd, line.data(), line.size());
  fdwrite::writeAll(STDERR_FILENO, line.data(), line.size());

  // Default action: re-raised now, delivered as soon as the handler returns.
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  sigaction(sig, &dfl, nullptr);
  raise(sig);
}

void captureUtcOffset() {
  const time_t now = time(nullptr);
  struct tm local {};
  if (localtime_r(&now, &local)) g_utcOffsetSeconds = local.tm_gmtoff;
}

} // namespace

namespace crashplatform {

void *openLibrary(const char *name) { return dlopen(name, RTLD_NOW | RTLD_LOCAL); }

void *resolve(void *library, const char *name) { return dlsym(library, name); }

void closeLibrary(void *library) { dlclose(library); }

bool installFallbackHandler() {
  if (g_installed) return true;
  captureUtcOffset();
  // The first backtrace() loads the unwinder, which allocates; do that now, not in the handler.
  void *warm[2];
  backtrace(warm, 2);

  stack_t altStack{};
  altStack.ss_sp = g_altStack;
  altStack.ss_size = sizeof(g_altStack);
  sigaltstack(&altStack, &g_previousAltStack);

  struct sigaction action {};
  action.sa_sigaction = onFatalSignal;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (int i = 0; i < kSignalCount; ++i) {
    if (sigaction(kFatalSignals[i], &action, &g_previous[i]) != 0) {
      for (int j = 0; j < i; ++j) sigaction(kFatalSignals[j], &g_previous[j], nullptr);
      sigaltstack(&g_previousAltStack, nullptr);
      return false;
    }
  }
  g_installed = true;
  return true;
}

void removeFallbackHandler() {
  if (!g_installed) return;
  for (int i = 0; i < kSignalCount; ++i) sigaction(kFatalSignals[i], &g_previous[i], nullptr);
  sigaltstack(&g_previousAltStack, nullptr);
  g_installed = false;
}

CrashCrtHandlers runtimeHandlers() {
  CrashCrtHandlers handlers{};
  handlers.size = sizeof(CrashCrtHandlers);
  handlers.signalFunction = reinterpret_cast<void *>(&::signal);
  handlers.setTerminate = reinterpret_cast<void *>(&std::set_terminate);
  handlers.setInvalidParameterHandler = nullptr;
  handlers.setPurecallHandler = nullptr;
  return handlers;
}

void sleepMilliseconds(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

} // namespace crashplatform
