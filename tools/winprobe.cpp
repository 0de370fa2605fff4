// Asks Windows (Wine, in the tests) what a person at the desktop would see
// and does what they would do, through user32 alone, so that the tests of
// huvenor.exe need nothing of the program itself.
//
//   winprobe wait TITLE SECONDS        waits for a visible window titled TITLE
//   winprobe state TITLE               "client=WxH iconic=0|1 foreground=0|1"
//   winprobe minimize TITLE | close TITLE
//   winprobe click TITLE X Y [right]   a click at X, Y of its client area
//   winprobe keys KEY...               key presses to the foreground window:
//                                      a letter, up, enter, or ctrl+shift+p
//   winprobe paint X Y W H RRGGBB      a window of that colour, until ended
//   winprobe count TITLE               how many windows bear TITLE
//
// Exits 1 when the window is not there.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Search {
  const char* title;
  HWND found = nullptr;
  int count = 0;
};

BOOL CALLBACK Visit(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  char title[256] = {};
  GetWindowTextA(window, title, sizeof title);
  if (std::strcmp(title, search->title) == 0 && IsWindowVisible(window)) {
    ++search->count;
    if (search->found == nullptr) search->found = window;
  }
  return TRUE;
}

Search Find(const char* title) {
  Search search{title};
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
  return search;
}

void Press(std::vector<INPUT>& inputs, WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  inputs.push_back(input);
}

WORD KeyOf(const std::string& name) {
  if (name == "ctrl") return VK_CONTROL;
  if (name == "shift") return VK_SHIFT;
  if (name == "up") return VK_UP;
  if (name == "down") return VK_DOWN;
  if (name == "left") return VK_LEFT;
  if (name == "right") return VK_RIGHT;
  if (name == "enter") return VK_RETURN;
  if (name == "escape") return VK_ESCAPE;
  if (name == "space") return VK_SPACE;
  if (name == "tab") return VK_TAB;
  if (name.size() == 1) return static_cast<WORD>(VkKeyScanA(name[0]) & 0xFF);
  return 0;
}

// "ctrl+shift+p": the modifiers held down around the last key.
bool Chord(const std::string& chord) {
  std::vector<WORD> keys;
  for (std::size_t at = 0; at <= chord.size();) {
    std::size_t plus = chord.find('+', at);
    if (plus == std::string::npos) plus = chord.size();
    const WORD key = KeyOf(chord.substr(at, plus - at));
    if (key == 0) return false;
    keys.push_back(key);
    at = plus + 1;
  }
  std::vector<INPUT> inputs;
  for (const WORD key : keys) Press(inputs, key, false);
  for (auto key = keys.rbegin(); key != keys.rend(); ++key) Press(inputs, *key, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  return true;
}

void Click(HWND window, int x, int y, bool right) {
  POINT at{x, y};
  ClientToScreen(window, &at);
  SetCursorPos(at.x, at.y);
  Sleep(50);
  INPUT inputs[2] = {};
  for (INPUT& input : inputs) input.type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  SendInput(2, inputs, sizeof(INPUT));
}

COLORREF paintColour = 0;

LRESULT CALLBACK PaintProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    const HBRUSH brush = CreateSolidBrush(paintColour);
    FillRect(dc, &paint.rcPaint, brush);
    DeleteObject(brush);
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int Paint(int x, int y, int width, int height, unsigned long rgb) {
  paintColour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
  WNDCLASSA paintClass{};
  paintClass.lpfnWndProc = PaintProc;
  paintClass.hInstance = GetModuleHandleA(nullptr);
  paintClass.lpszClassName = "winprobe-paint";
  RegisterClassA(&paintClass);
  const HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "winprobe-paint",
                                      "winprobe paint", WS_POPUP | WS_VISIBLE, x, y, width, height,
                                      nullptr, nullptr, paintClass.hInstance, nullptr);
  if (window == nullptr) return 1;
  std::puts("painted");
  std::fflush(stdout);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Screen pixels, whatever scale the desktop is set to.
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "paint" && argc == 7) {
    return Paint(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                 std::strtoul(argv[6], nullptr, 16));
  }
  if (command == "keys") {
    for (int i = 2; i < argc; ++i) {
      if (!Chord(argv[i])) return 2;
      Sleep(50);
    }
    return 0;
  }
  if (argc < 3) {
    std::fputs("usage: winprobe wait|state|minimize|close|click|count TITLE ...\n", stderr);
    return 2;
  }
  const char* title = argv[2];
  if (command == "count") {
    std::printf("%d\n", Find(title).count);
    return 0;
  }
  if (command == "wait") {
    const DWORD until =
        GetTickCount() + 1000 * static_cast<DWORD>(argc > 3 ? std::atoi(argv[3]) : 10);
    while (Find(title).found == nullptr) {
      if (GetTickCount() > until) return 1;
      Sleep(50);
    }
    return 0;
  }
  const HWND window = Find(title).found;
  if (window == nullptr) return 1;
  if (command == "state") {
    RECT client{};
    GetClientRect(window, &client);
    std::printf("client=%ldx%ld iconic=%d foreground=%d\n", client.right, client.bottom,
                IsIconic(window) ? 1 : 0, GetForegroundWindow() == window ? 1 : 0);
  } else if (command == "minimize") {
    ShowWindow(window, SW_MINIMIZE);
  } else if (command == "close") {
    PostMessageA(window, WM_CLOSE, 0, 0);
  } else if (command == "click" && argc >= 5) {
    Click(window, std::atoi(argv[3]), std::atoi(argv[4]),
          argc > 5 && std::strcmp(argv[5], "right") == 0);
  } else {
    return 2;
  }
  return 0;
}
