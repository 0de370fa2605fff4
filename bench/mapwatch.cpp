// Starts a program and measures how long it takes to map its window: the
// wall time from just before the program is executed to the MapNotify of its
// first top-level window, and the process's peak resident memory (VmHWM) at
// that moment. Then it ends the program.
//
// The map is seen as an event, not by polling, so the time is as exact as
// the X server's ordering allows: the root window's SubstructureNotify is
// selected before the program runs, and the program's windows are told from
// others by their _NET_WM_PID.
//
// Usage: mapwatch [--timeout SECONDS] PROGRAM [ARGUMENTS...]
// Prints one line: milliseconds, VmHWM in KiB, VmRSS in KiB.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>

extern char** environ;

namespace {

double Now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// The pid a window's owner stated, or 0 when it stated none.
long WindowPid(Display* display, Window window, Atom pidAtom) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  long pid = 0;
  if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                         &after, &data) == Success &&
      data != nullptr) {
    if (type == XA_CARDINAL && format == 32 && count == 1) {
      pid = *reinterpret_cast<long*>(data);
    }
  }
  if (data != nullptr) XFree(data);
  return pid;
}

// Peak and current resident memory from /proc/PID/status, in KiB; -1 for
// what could not be read.
struct Memory {
  long hwm = -1;
  long rss = -1;
};

Memory ReadMemory(pid_t pid) {
  Memory memory;
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("VmHWM:")) memory.hwm = std::strtol(line.c_str() + 6, nullptr, 10);
    if (line.starts_with("VmRSS:")) memory.rss = std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return memory;
}

// SIGTERM first, SIGKILL when the program has not ended a second later.
void End(pid_t pid) {
  kill(pid, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    usleep(10'000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  double timeoutMs = 10'000;
  if (argc > 2 && std::strcmp(argv[1], "--timeout") == 0) {
    timeoutMs = std::atof(argv[2]) * 1e3;
    first = 3;
  }
  if (first >= argc) {
    std::fprintf(stderr, "usage: mapwatch [--timeout SECONDS] PROGRAM [ARGUMENTS...]\n");
    return 2;
  }

  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "mapwatch: cannot open the display\n");
    return 2;
  }
  const int fd = ConnectionNumber(display);
  fcntl(fd, F_SETFD, FD_CLOEXEC);
  const Window root = DefaultRootWindow(display);
  const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
  XSelectInput(display, root, SubstructureNotifyMask);
  // The selection must be in force before the program can map anything.
  XSync(display, False);

  pid_t pid = 0;
  const double started = Now();
  if (const int error = posix_spawn(&pid, argv[first], nullptr, nullptr, argv + first, environ);
      error != 0) {
    std::fprintf(stderr, "mapwatch: cannot run %s: %s\n", argv[first], std::strerror(error));
    return 2;
  }

  for (;;) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type != MapNotify || event.xmap.event != root || event.xmap.override_redirect) {
        continue;
      }
      const double mapped = Now();
      const Memory memory = ReadMemory(pid);
      // A window of another client that happens to be mapped meanwhile does
      // not count; one without a pid is taken as the program's.
      const long owner = WindowPid(display, event.xmap.window, pidAtom);
      if (owner != 0 && owner != pid) continue;
      End(pid);
      std::printf("%.3f %ld %ld\n", mapped - started, memory.hwm, memory.rss);
      return memory.hwm < 0 ? 1 : 0;
    }
    const double left = started + timeoutMs - Now();
    if (left <= 0) {
      std::fprintf(stderr, "mapwatch: %s mapped no window in time\n", argv[first]);
      End(pid);
      return 1;
    }
    if (waitpid(pid, nullptr, WNOHANG) == pid) {
      std::fprintf(stderr, "mapwatch: %s ended without mapping a window\n", argv[first]);
      return 1;
    }
    pollfd wait{fd, POLLIN, 0};
    poll(&wait, 1, static_cast<int>(left < 50 ? left + 1 : 50));
  }
}
