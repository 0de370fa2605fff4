#include "picker/gdipicker.h"

#include <windows.h>

#include <QTimer>

#include "picker/loupe.h"

// windows.h's colour macro would stand in for colour::RGB.
#undef RGB

namespace picker {
namespace {

constexpr wchar_t kOverlayClass[] = L"HuvenorPickerOverlay";

// A 32-bit bitmap of `size`, top row first: QImage's RGB32 layout.
BITMAPINFO Rgb32(QSize size) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size.width();
  info.bmiHeader.biHeight = -size.height();
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// The virtual screen (every monitor) copied into an image; empty when the
// screen gives nothing.
QImage CopyScreen(const QRect& area) {
  QImage image;
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const BITMAPINFO info = Rgb32(area.size());
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (screen != nullptr && memory != nullptr && bitmap != nullptr) {
    const HGDIOBJ before = SelectObject(memory, bitmap);
    if (BitBlt(memory, 0, 0, area.width(), area.height(), screen, area.x(), area.y(), SRCCOPY)) {
      GdiFlush();
      image =
          QImage(static_cast<const uchar*>(bits), area.width(), area.height(), QImage::Format_RGB32)
              .copy();
    }
    SelectObject(memory, before);
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (memory != nullptr) DeleteDC(memory);
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return image;
}

QPoint PointOf(LPARAM lParam) {
  POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  return {at.x, at.y};
}

// The overlay's messages, in the overlay's own client coordinates, which are
// the screen's shifted by the virtual screen's corner.
LRESULT CALLBACK OverlayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* picker = reinterpret_cast<GdiPicker*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (picker == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  RECT placed{};
  GetWindowRect(window, &placed);
  const QPoint corner(placed.left, placed.top);
  switch (message) {
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, IDC_CROSS));
      return TRUE;
    case WM_MOUSEMOVE:
      picker->Moved(corner + PointOf(lParam));
      return 0;
    case WM_LBUTTONDOWN:
      picker->Take(corner + PointOf(lParam));
      return 0;
    case WM_RBUTTONDOWN:
      picker->Cancelled();
      return 0;
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_RETURN:
        case VK_SPACE: {
          POINT at{};
          GetCursorPos(&at);
          picker->Take({at.x, at.y});
          return 0;
        }
        case VK_ESCAPE:
          picker->Cancelled();
          return 0;
        case VK_LEFT:
          picker->Nudge(-1, 0);
          return 0;
        case VK_RIGHT:
          picker->Nudge(1, 0);
          return 0;
        case VK_UP:
          picker->Nudge(0, -1);
          return 0;
        case VK_DOWN:
          picker->Nudge(0, 1);
          return 0;
        default:
          return 0;
      }
    case WM_ACTIVATE:
      // Another window took over (Alt+Tab, a window that popped up): the
      // overlay would be left covering the screen without the keys.
      if (LOWORD(wParam) == WA_INACTIVE) picker->Cancelled();
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

GdiPicker::GdiPicker() {
  WNDCLASSEXW overlayClass{};
  overlayClass.cbSize = sizeof overlayClass;
  overlayClass.lpfnWndProc = OverlayProc;
  overlayClass.hInstance = GetModuleHandleW(nullptr);
  overlayClass.lpszClassName = kOverlayClass;
  RegisterClassExW(&overlayClass);
}

GdiPicker::~GdiPicker() {
  Release();
}

bool GdiPicker::Active() const {
  return overlay_ != nullptr;
}

bool GdiPicker::Start(QWidget* /*window*/) {
  if (Active()) return false;
  const QRect area(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                   GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
  screen_ = CopyScreen(area);
  origin_ = area.topLeft();
  const HWND overlay =
      screen_.isNull()
          ? nullptr
          : CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kOverlayClass, L"Huvenor picker",
                            WS_POPUP, area.x(), area.y(), area.width(), area.height(), nullptr,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
  if (overlay == nullptr) {
    screen_ = {};
    // Told after Start has returned, as every outcome is.
    QTimer::singleShot(0, [this] {
      if (onFailed) onFailed(QStringLiteral("The screen could not be read; no colour was picked."));
    });
    return true;
  }
  overlay_ = overlay;
  loupe_ = std::make_unique<Loupe>();
  // The copy is painted once, before the overlay shows, so the screen does
  // not flicker as it is covered.
  const HDC target = GetDC(overlay);
  const BITMAPINFO info = Rgb32(screen_.size());
  SetWindowLongPtrW(overlay, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ShowWindow(overlay, SW_SHOW);
  SetDIBitsToDevice(
      target, 0, 0, static_cast<DWORD>(screen_.width()), static_cast<DWORD>(screen_.height()), 0, 0,
      0, static_cast<UINT>(screen_.height()), screen_.constBits(), &info, DIB_RGB_COLORS);
  ReleaseDC(overlay, target);
  ValidateRect(overlay, nullptr);
  SetForegroundWindow(overlay);
  SetFocus(overlay);
  POINT at{};
  GetCursorPos(&at);
  Moved({at.x, at.y});
  return true;
}

void GdiPicker::Cancel() {
  if (Active()) End(Outcome::kCancelled);
}

void GdiPicker::Moved(QPoint at) {
  if (!loupe_) return;
  loupe_->ShowAt(LogicalPoint(at.x(), at.y()), Around(at, Loupe::kSpan));
}

void GdiPicker::Take(QPoint at) {
  const QImage pixel = Around(at, 1);
  if (pixel.pixel(0, 0) == qRgba(0, 0, 0, 0)) {
    return End(Outcome::kFailed, QStringLiteral("The screen gave no pixel at %1, %2; no colour "
                                                "was picked.")
                                     .arg(at.x())
                                     .arg(at.y()));
  }
  const QRgb rgb = pixel.pixel(0, 0);
  Release();
  if (onPicked) onPicked(colour::RGB(qRed(rgb), qGreen(rgb), qBlue(rgb)));
}

void GdiPicker::Nudge(int dx, int dy) {
  POINT at{};
  // The move comes back as the overlay's WM_MOUSEMOVE, which moves the loupe.
  if (GetCursorPos(&at)) SetCursorPos(at.x + dx, at.y + dy);
}

void GdiPicker::Cancelled() {
  if (Active()) End(Outcome::kCancelled);
}

QImage GdiPicker::Around(QPoint at, int span) const {
  const int half = span / 2;
  QImage pixels(span, span, QImage::Format_ARGB32);
  pixels.fill(Qt::transparent);
  for (int row = 0; row < span; ++row) {
    for (int column = 0; column < span; ++column) {
      const QPoint from = at - origin_ + QPoint(column - half, row - half);
      if (screen_.valid(from)) pixels.setPixel(column, row, screen_.pixel(from) | 0xFF000000);
    }
  }
  return pixels;
}

void GdiPicker::Release() {
  loupe_.reset();
  screen_ = {};
  if (overlay_ == nullptr) return;
  const auto overlay = static_cast<HWND>(overlay_);
  overlay_ = nullptr;
  // No more messages reach this picker, which may be on its way out.
  SetWindowLongPtrW(overlay, GWLP_USERDATA, 0);
  DestroyWindow(overlay);
}

void GdiPicker::End(Outcome outcome, const QString& reason) {
  Release();
  if (outcome == Outcome::kCancelled && onCancelled) onCancelled();
  if (outcome == Outcome::kFailed && onFailed) onFailed(reason);
}

}  // namespace picker
