// Stands in for a desktop's launcher on Wayland: shows a window of its own,
// and types through the compositor: KWin's fake-input protocol where the
// compositor offers it, else GNOME's remote-desktop interface. Told to, it
// presses a key in its window (the user asking for a program) and, with that
// key press's serial, asks the compositor for an xdg-activation token as
// launchers do. It tells on standard output, one line each:
//   focused, unfocused     its window got or lost the keyboard focus
//   token <token>          for XDG_ACTIVATION_TOKEN
//   closed                 the compositor asked its window to close
// and takes lines on standard input:
//   token                  a key press in its window, and a token for it
//   <evdev key codes>      typed into whichever window has the focus ("56 62"
//                          is Alt+F4: pressed in order, released in reverse)
// It ends when standard input closes or its window is closed, and fails when
// the compositor leaves it waiting for a minute.
//
// Usage: wllaunch (with WAYLAND_DISPLAY set; under mutter, on its session bus)
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fake-input-protocol.h"
#include "xdg-activation-v1-protocol.h"
#include "xdg-shell-protocol.h"

namespace {

struct Launcher {
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  wl_seat* seat = nullptr;
  xdg_wm_base* shell = nullptr;
  xdg_activation_v1* activation = nullptr;
  org_kde_kwin_fake_input* fakeInput = nullptr;
  wl_keyboard* keyboard = nullptr;
  wl_surface* surface = nullptr;
  bool configured = false;
  bool focused = false;
  bool closed = false;
  std::uint32_t keySerial = 0;
  std::string token;
};

void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

void Fail(const char* what) {
  std::fprintf(stderr, "wllaunch: %s\n", what);
  std::exit(1);
}

template <typename T>
T* Bind(wl_registry* registry, std::uint32_t name, const wl_interface* interface,
        std::uint32_t version) {
  return static_cast<T*>(wl_registry_bind(registry, name, interface, version));
}

const wl_registry_listener kRegistry{
    [](void* data, wl_registry* registry, std::uint32_t name, const char* interface,
       std::uint32_t version) {
      auto& l = *static_cast<Launcher*>(data);
      const std::string is = interface;
      if (is == wl_compositor_interface.name)
        l.compositor = Bind<wl_compositor>(registry, name, &wl_compositor_interface, 4);
      else if (is == wl_shm_interface.name)
        l.shm = Bind<wl_shm>(registry, name, &wl_shm_interface, 1);
      else if (is == wl_seat_interface.name)
        l.seat = Bind<wl_seat>(registry, name, &wl_seat_interface, 5);
      else if (is == xdg_wm_base_interface.name)
        l.shell = Bind<xdg_wm_base>(registry, name, &xdg_wm_base_interface, 1);
      else if (is == xdg_activation_v1_interface.name)
        l.activation = Bind<xdg_activation_v1>(registry, name, &xdg_activation_v1_interface, 1);
      else if (is == org_kde_kwin_fake_input_interface.name && version >= 4)
        l.fakeInput =
            Bind<org_kde_kwin_fake_input>(registry, name, &org_kde_kwin_fake_input_interface, 4);
    },
    [](void*, wl_registry*, std::uint32_t) {}};

const xdg_wm_base_listener kShell{
    [](void*, xdg_wm_base* shell, std::uint32_t serial) { xdg_wm_base_pong(shell, serial); }};

const xdg_surface_listener kXdgSurface{[](void* data, xdg_surface* surface, std::uint32_t serial) {
  xdg_surface_ack_configure(surface, serial);
  static_cast<Launcher*>(data)->configured = true;
}};

const xdg_toplevel_listener kToplevel{
    [](void*, xdg_toplevel*, std::int32_t, std::int32_t, wl_array*) {},
    [](void* data, xdg_toplevel*) { static_cast<Launcher*>(data)->closed = true; },
    [](void*, xdg_toplevel*, std::int32_t, std::int32_t) {},
    [](void*, xdg_toplevel*, wl_array*) {}};

const wl_keyboard_listener kKeyboard{
    [](void*, wl_keyboard*, std::uint32_t, int fd, std::uint32_t) { ::close(fd); },
    [](void* data, wl_keyboard*, std::uint32_t, wl_surface* surface, wl_array*) {
      auto& l = *static_cast<Launcher*>(data);
      l.focused = surface == l.surface;
      if (l.focused) Say("focused");
    },
    [](void* data, wl_keyboard*, std::uint32_t, wl_surface*) {
      static_cast<Launcher*>(data)->focused = false;
      Say("unfocused");
    },
    [](void* data, wl_keyboard*, std::uint32_t serial, std::uint32_t, std::uint32_t,
       std::uint32_t state) {
      if (state == WL_KEYBOARD_KEY_STATE_PRESSED) static_cast<Launcher*>(data)->keySerial = serial;
    },
    [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
       std::uint32_t) {},
    [](void*, wl_keyboard*, std::int32_t, std::int32_t) {}};

const wl_seat_listener kSeat{[](void* data, wl_seat* seat, std::uint32_t capabilities) {
                               auto& l = *static_cast<Launcher*>(data);
                               if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && !l.keyboard) {
                                 l.keyboard = wl_seat_get_keyboard(seat);
                                 wl_keyboard_add_listener(l.keyboard, &kKeyboard, &l);
                               }
                             },
                             [](void*, wl_seat*, const char*) {}};

const xdg_activation_token_v1_listener kToken{
    [](void* data, xdg_activation_token_v1*, const char* token) {
      static_cast<Launcher*>(data)->token = token;
    }};

// A grey buffer, so that the compositor maps the window.
wl_buffer* Buffer(wl_shm* shm, int width, int height) {
  const int stride = width * 4, size = stride * height;
  const int fd = ::memfd_create("wllaunch", MFD_CLOEXEC);
  if (fd < 0 || ::ftruncate(fd, size) != 0) Fail("no shared memory");
  void* pixels = ::mmap(nullptr, static_cast<std::size_t>(size), PROT_WRITE, MAP_SHARED, fd, 0);
  std::memset(pixels, 0x80, static_cast<std::size_t>(size));
  ::munmap(pixels, static_cast<std::size_t>(size));
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, size);
  wl_buffer* buffer =
      wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  ::close(fd);
  return buffer;
}

// Dispatches the compositor's events until `done` holds, for at most a minute;
// with `input`, for as long as it takes a line to come on standard input.
template <typename Done>
void Await(wl_display* display, Done done, bool input = false) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (!done()) {
    if (!input && std::chrono::steady_clock::now() > deadline)
      Fail("the compositor did not answer");
    while (wl_display_prepare_read(display) != 0) wl_display_dispatch_pending(display);
    wl_display_flush(display);
    pollfd entries[2]{{wl_display_get_fd(display), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    ::poll(entries, input ? 2 : 1, 100);
    if (entries[0].revents & POLLIN)
      wl_display_read_events(display);
    else
      wl_display_cancel_read(display);
    wl_display_dispatch_pending(display);
    if (input && entries[1].revents) return;
  }
}

// A key press in the launcher's window, and a token for it.
template <typename Key>
std::string Token(wl_display* display, Launcher& l, Key key) {
  l.keySerial = 0;
  key(42, true);  // Shift
  key(42, false);
  Await(display, [&] { return l.keySerial != 0; });
  xdg_activation_token_v1* request = xdg_activation_v1_get_activation_token(l.activation);
  xdg_activation_token_v1_add_listener(request, &kToken, &l);
  xdg_activation_token_v1_set_serial(request, l.keySerial, l.seat);
  xdg_activation_token_v1_set_surface(request, l.surface);
  xdg_activation_token_v1_commit(request);
  l.token.clear();
  Await(display, [&] { return !l.token.empty(); });
  xdg_activation_token_v1_destroy(request);
  return l.token;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  wl_display* display = wl_display_connect(nullptr);
  if (!display) Fail("cannot connect to the Wayland display");
  Launcher l;
  wl_registry_add_listener(wl_display_get_registry(display), &kRegistry, &l);
  wl_display_roundtrip(display);
  if (!l.compositor || !l.shm || !l.seat || !l.shell || !l.activation)
    Fail("the compositor lacks a global this needs");
  xdg_wm_base_add_listener(l.shell, &kShell, &l);
  wl_seat_add_listener(l.seat, &kSeat, &l);

  // GNOME's virtual keyboard lives as long as this process's session bus
  // connection.
  const QString service = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
  std::unique_ptr<QDBusInterface> session;
  if (l.fakeInput) {
    org_kde_kwin_fake_input_authenticate(l.fakeInput, "wllaunch", "a launcher's key presses");
  } else {
    QDBusInterface desktop(service, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"), service);
    const QDBusReply<QDBusObjectPath> path = desktop.call(QStringLiteral("CreateSession"));
    if (!path.isValid()) Fail("no fake input and no remote-desktop session");
    session = std::make_unique<QDBusInterface>(service, path.value().path(),
                                               service + QStringLiteral(".Session"));
    if (const QDBusMessage started = session->call(QStringLiteral("Start"));
        started.type() == QDBusMessage::ErrorMessage)
      Fail(qPrintable(started.errorMessage()));
  }
  const auto key = [&](int code, bool pressed) {
    if (l.fakeInput) {
      org_kde_kwin_fake_input_keyboard_key(
          l.fakeInput, static_cast<std::uint32_t>(code),
          pressed ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
      wl_display_flush(display);
    } else {
      session->call(QStringLiteral("NotifyKeyboardKeycode"), static_cast<unsigned>(code), pressed);
    }
  };

  // The compositor makes the virtual keyboard, and gives the seat a keyboard,
  // at its first key.
  key(42, true);  // Shift
  key(42, false);

  l.surface = wl_compositor_create_surface(l.compositor);
  xdg_surface* xdgSurface = xdg_wm_base_get_xdg_surface(l.shell, l.surface);
  xdg_surface_add_listener(xdgSurface, &kXdgSurface, &l);
  xdg_toplevel* toplevel = xdg_surface_get_toplevel(xdgSurface);
  xdg_toplevel_add_listener(toplevel, &kToplevel, &l);
  xdg_toplevel_set_title(toplevel, "launcher");
  wl_surface_commit(l.surface);
  Await(display, [&] { return l.configured; });
  wl_surface_attach(l.surface, Buffer(l.shm, 200, 100), 0, 0);
  wl_surface_commit(l.surface);
  Await(display, [&] { return l.focused; });

  std::string line;
  for (;;) {
    Await(
        display, [&] { return l.closed; }, true);
    if (l.closed) break;
    char buffer[256];
    const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got <= 0) return 0;
    line.append(buffer, static_cast<std::size_t>(got));
    for (std::size_t end; (end = line.find('\n')) != std::string::npos; line.erase(0, end + 1)) {
      if (line.compare(0, end, "token") == 0) {
        Say("token " + Token(display, l, key));
        continue;
      }
      std::istringstream codes(line.substr(0, end));
      std::vector<int> keys;
      for (int code; codes >> code;) keys.push_back(code);
      for (const int code : keys) key(code, true);
      for (auto code = keys.rbegin(); code != keys.rend(); ++code) key(*code, false);
    }
  }
  Say("closed");
  return 0;
}
