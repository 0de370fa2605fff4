// How running copies find each other on Windows, in user32's own terms. The
// application owns a hidden top-level window of class "ThunderRT6Main" that
// bears the application title and owns the main window, which therefore sits
// just above it in the z-order. A starting copy finds another by that class
// and title, and brings forward the window above it itself: Windows lets the
// process the user just started give the foreground away, so no request has
// to travel to the other copy and nothing is asked of it.
//
// Copies started together are told apart by two named kernel objects in the
// user's session: a start-up mutex that lets one copy at a time through its
// start, and a marker that says a copy is running. The kernel drops both with
// a copy that dies, so a crash leaves nothing that misleads the next start.
#include <windows.h>

#include <QWindow>
#include <chrono>
#include <string>

#include "instance/instances.h"

namespace instance {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kClassName[] = L"ThunderRT6Main";
// Both generations of the class are searched, as older copies used the first.
constexpr const char* kSearchedClasses[] = {"ThunderRTMain", "ThunderRT6Main"};
// "Local\" is the user's session: copies of other sessions are not seen.
constexpr wchar_t kStartupMutex[] = L"Local\\Huvenor.Startup";
constexpr wchar_t kRunningMarker[] = L"Local\\Huvenor.Running";
// A copy stuck in its start-up (or hung in it) holds the start-up mutex; the
// next copy waits this long for it, then carries on regardless.
constexpr auto kStartupWait = 10s;

// user32's searches take the ANSI code page, as the program's titles are
// converted for them.
std::string Ansi(const QString& text) {
  const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, length, ansi.data(), size, nullptr, nullptr);
  return ansi;
}

LPCWSTR Wide(const QString& text) {
  return reinterpret_cast<LPCWSTR>(text.utf16());
}

// The window of another copy found by its title: its main window is the one
// just above its application window.
class FoundWindow final : public WindowFinder::Window {
 public:
  explicit FoundWindow(HWND application) : application_(application) {}

  void Activate() override {
    const HWND main = GetWindow(application_, GW_HWNDPREV);
    // Restoring waits for the other copy's thread, which a hung copy never
    // answers; bringing it forward does not wait, and this copy ends either way.
    if (!IsHungAppWindow(main)) OpenIcon(main);
    SetForegroundWindow(main);
  }

 private:
  HWND application_;
};

class WindowsInstances final : public Instances {
 public:
  explicit WindowsInstances(const QString& title) {
    startup_ = CreateMutexW(nullptr, FALSE, kStartupMutex);
    if (startup_ != nullptr) {
      const DWORD waited = WaitForSingleObject(
          startup_, static_cast<DWORD>(std::chrono::milliseconds(kStartupWait).count()));
      // Abandoned: the copy that held it died in its start-up; it is ours now.
      holdsStartup_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    running_ = CreateMutexW(nullptr, FALSE, kRunningMarker);
    othersRunning_ = running_ != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);
    application_ = CreateWindowExW(0, kClassName, Wide(title), WS_POPUP, 0, 0, 0, 0, nullptr,
                                   nullptr, windowClass.hInstance, nullptr);
  }

  ~WindowsInstances() override { Withdraw(); }

  WindowsInstances(const WindowsInstances&) = delete;
  WindowsInstances& operator=(const WindowsInstances&) = delete;

  bool OthersRunning() override { return othersRunning_; }

  void Publish(const QString& title) override {
    if (application_ != nullptr) SetWindowTextW(application_, Wide(title));
  }

  std::unique_ptr<Window> FindWindow(const QString& title) override {
    const std::string ansi = Ansi(title);
    for (const char* windowClass : kSearchedClasses) {
      if (const HWND found = FindWindowA(windowClass, ansi.c_str()))
        return std::make_unique<FoundWindow>(found);
    }
    return nullptr;
  }

  void FinishStartup(QWindow& window) override {
    const auto main = reinterpret_cast<HWND>(window.winId());
    if (application_ != nullptr) {
      // An owned window has no task bar button of its own unless it asks.
      SetWindowLongPtrW(main, GWL_EXSTYLE, GetWindowLongPtrW(main, GWL_EXSTYLE) | WS_EX_APPWINDOW);
      SetWindowLongPtrW(main, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(application_));
      // Directly below the main window, which keeps it above as its owner.
      SetWindowPos(application_, main, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    ReleaseStartup();
  }

  void Withdraw() override {
    ReleaseStartup();
    if (application_ != nullptr) DestroyWindow(std::exchange(application_, nullptr));
    if (running_ != nullptr) CloseHandle(std::exchange(running_, nullptr));
  }

 private:
  void ReleaseStartup() {
    if (holdsStartup_) ReleaseMutex(startup_);
    holdsStartup_ = false;
    if (startup_ != nullptr) CloseHandle(std::exchange(startup_, nullptr));
  }

  HANDLE startup_ = nullptr;
  bool holdsStartup_ = false;
  HANDLE running_ = nullptr;
  bool othersRunning_ = false;
  HWND application_ = nullptr;
};

}  // namespace

// Windows lets the copy the user started raise the other copy's window, so
// nothing from the launcher has to be passed on.
Handshake Handshake::FromEnvironment() {
  return {};
}

std::unique_ptr<Instances> MakeInstances(const QString& title, const Handshake&) {
  return std::make_unique<WindowsInstances>(title);
}

}  // namespace instance
