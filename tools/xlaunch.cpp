// Stands in for a desktop's launcher on X11: shows a window of its own and,
// on each key press in that window (the user asking for a program), announces
// a start the way launchers do, with a _NET_STARTUP_INFO "new" message whose
// id carries the key press's time. Like any application it tells the window
// manager the time of the user's last action in it (_NET_WM_USER_TIME), which
// is what a request to take the focus from it is weighed against. It tells on
// standard output, one line each:
//   focused                its window has the keyboard focus
//   id <startup id>        the start it announced, for DESKTOP_STARTUP_ID
//   removed <window>       the client that owns <window> completed the last
//                          start ("remove: ID=...")
// and runs until it is killed, or for a minute.
//
// Usage: xlaunch
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

void Broadcast(Display* display, Window from, const std::string& text) {
  const Atom begin = XInternAtom(display, "_NET_STARTUP_INFO_BEGIN", False);
  const Atom more = XInternAtom(display, "_NET_STARTUP_INFO", False);
  const std::string message = text + '\0';
  for (std::size_t at = 0; at < message.size(); at += 20) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = from;
    event.xclient.message_type = at == 0 ? begin : more;
    event.xclient.format = 8;
    std::memcpy(event.xclient.data.b, message.data() + at,
                std::min<std::size_t>(20, message.size() - at));
    XSendEvent(display, DefaultRootWindow(display), False, PropertyChangeMask, &event);
  }
  XFlush(display);
}

}  // namespace

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "xlaunch: cannot open the display\n");
    return 1;
  }
  const Window root = DefaultRootWindow(display);
  // As large as the screen, so that it covers any window the test started
  // before: a window manager asks the user's attention only for a window the
  // user cannot see.
  const int screen = DefaultScreen(display);
  const Window window = XCreateSimpleWindow(
      display, root, 0, 0, static_cast<unsigned>(DisplayWidth(display, screen)),
      static_cast<unsigned>(DisplayHeight(display, screen)), 0, 0, WhitePixel(display, screen));
  XStoreName(display, window, "launcher");
  XSelectInput(display, window, KeyPressMask | FocusChangeMask);
  XSelectInput(display, root, PropertyChangeMask);
  XMapWindow(display, window);
  XFlush(display);

  const Atom begin = XInternAtom(display, "_NET_STARTUP_INFO_BEGIN", False);
  const Atom more = XInternAtom(display, "_NET_STARTUP_INFO", False);
  const Atom userTime = XInternAtom(display, "_NET_WM_USER_TIME", False);
  std::string id;
  int starts = 0;
  std::map<Window, std::string> messages;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (std::chrono::steady_clock::now() < deadline) {
    if (XPending(display) == 0) {
      pollfd entry{ConnectionNumber(display), POLLIN, 0};
      ::poll(&entry, 1, 100);
      continue;
    }
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == FocusIn && event.xfocus.window == window) {
      Say("focused");
    } else if (event.type == KeyPress) {
      const unsigned long time = event.xkey.time;
      XChangeProperty(display, window, userTime, XA_CARDINAL, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(&time), 1);
      id = "xlaunch-" + std::to_string(::getpid()) + '-' + std::to_string(++starts) + "_TIME" +
           std::to_string(time);
      Broadcast(display, window, "new: ID=" + id + " NAME=Huvenor SCREEN=0");
      Say("id " + id);
    } else if (event.type == ClientMessage &&
               (event.xclient.message_type == begin || event.xclient.message_type == more)) {
      std::string& text = messages[event.xclient.window];
      if (event.xclient.message_type == begin) text.clear();
      const char* data = event.xclient.data.b;
      const std::size_t length = strnlen(data, 20);
      text.append(data, length);
      if (length < 20) {
        if (!id.empty() && text == "remove: ID=" + id)
          Say("removed " + std::to_string(event.xclient.window));
        text.clear();
      }
    }
  }
  XCloseDisplay(display);
  return 0;
}
