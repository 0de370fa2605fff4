#include "picker/x11picker.h"

#include <xcb/xcb.h>

#include <QSocketNotifier>
#include <cstdlib>

#include "picker/loupe.h"

namespace picker {

namespace {

// Another program (or a menu of ours still closing) may hold the pointer for
// a moment; it is asked again this often for this long before giving up.
constexpr int kRetryMs = 20;
constexpr int kTries = 15;

// Glyphs of the standard cursor font.
constexpr std::uint16_t kCrosshairGlyph = 34;

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPtr<Reply> Owned(Reply* reply) {
  return ReplyPtr<Reply>(reply, &std::free);
}

// An 8-bit channel from a pixel value and the visual's mask for it.
int Channel(std::uint32_t value, std::uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  const std::uint32_t max = mask >> shift;
  return static_cast<int>((((value & mask) >> shift) * 255 + max / 2) / max);
}

}  // namespace

X11Picker::X11Picker() {
  retry_.setSingleShot(true);
  QObject::connect(&retry_, &QTimer::timeout, [this] { TryGrab(); });
}

X11Picker::~X11Picker() {
  Release();
}

bool X11Picker::Active() const {
  return connection_ != nullptr;
}

bool X11Picker::Start(QWidget* /*window*/) {
  if (Active()) return false;
  connection_ = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection_)) {
    Release();
    QTimer::singleShot(0, &retry_, [this] {
      if (onFailed) onFailed(QStringLiteral("The X server could not be reached."));
    });
    return true;
  }
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
  root_ = screen->root;
  width_ = screen->width_in_pixels;
  height_ = screen->height_in_pixels;
  const xcb_font_t font = xcb_generate_id(connection_);
  xcb_open_font(connection_, font, 6, "cursor");
  cursor_ = xcb_generate_id(connection_);
  xcb_create_glyph_cursor(connection_, cursor_, font, font, kCrosshairGlyph, kCrosshairGlyph + 1, 0,
                          0, 0, 0xFFFF, 0xFFFF, 0xFFFF);
  xcb_close_font(connection_, font);
  MapKeys();
  loupe_ = std::make_unique<Loupe>();
  triesLeft_ = kTries;
  // Later, so that a menu that started the pick has let go of the pointer,
  // and so that no outcome is reported from inside Start.
  retry_.start(0);
  return true;
}

void X11Picker::Cancel() {
  if (Active()) End(Outcome::kCancelled);
}

void X11Picker::TryGrab() {
  constexpr std::uint16_t kMask =
      XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION;
  const auto pointer = Owned(xcb_grab_pointer_reply(
      connection_,
      xcb_grab_pointer(connection_, 0, root_, kMask, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC,
                       XCB_NONE, cursor_, XCB_CURRENT_TIME),
      nullptr));
  // No reply at all is taken as a window that cannot be grabbed.
  constexpr std::uint8_t kNoReply = XCB_GRAB_STATUS_NOT_VIEWABLE;
  std::uint8_t status = pointer ? pointer->status : kNoReply;
  if (status == XCB_GRAB_STATUS_SUCCESS) {
    const auto keyboard =
        Owned(xcb_grab_keyboard_reply(connection_,
                                      xcb_grab_keyboard(connection_, 0, root_, XCB_CURRENT_TIME,
                                                        XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                      nullptr));
    status = keyboard ? keyboard->status : kNoReply;
    if (status != XCB_GRAB_STATUS_SUCCESS) xcb_ungrab_pointer(connection_, XCB_CURRENT_TIME);
  }
  if (status != XCB_GRAB_STATUS_SUCCESS) {
    xcb_flush(connection_);
    if (--triesLeft_ > 0) {
      retry_.start(kRetryMs);
      return;
    }
    End(Outcome::kFailed,
        status == XCB_GRAB_STATUS_ALREADY_GRABBED || status == XCB_GRAB_STATUS_FROZEN
            ? QStringLiteral("Another program holds the mouse or the keyboard; "
                             "no colour was picked.")
            : QStringLiteral("The mouse could not be taken over; no colour was picked."));
    return;
  }
  notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_),
                                                QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { ReadEvents(); });
  if (const auto at = Pointer()) ShowLoupe(at->x(), at->y());
  // Events that came in with the replies above are queued already.
  ReadEvents();
}

void X11Picker::ReadEvents() {
  // Drawing the loupe waits for a reply, and events that come meanwhile are
  // queued without waking the notifier again: they are read here after it.
  for (std::optional<QPoint> moved; connection_; moved.reset()) {
    while (const auto event = Owned(xcb_poll_for_event(connection_))) {
      switch (event->response_type & 0x7F) {
        case XCB_MOTION_NOTIFY: {
          const auto* motion = reinterpret_cast<const xcb_motion_notify_event_t*>(event.get());
          moved = QPoint(motion->root_x, motion->root_y);
          break;
        }
        case XCB_BUTTON_PRESS: {
          const auto* press = reinterpret_cast<const xcb_button_press_event_t*>(event.get());
          if (press->detail == 1) return Take(press->root_x, press->root_y);
          if (press->detail == 3) return End(Outcome::kCancelled);
          break;
        }
        case XCB_KEY_PRESS: {
          const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event.get());
          const Key key = keys_[press->detail];
          if (key == Key::kCancel) return End(Outcome::kCancelled);
          if (key == Key::kTake) {
            const auto at = Pointer();
            if (!at) return End(Outcome::kFailed, QStringLiteral("The X server did not answer."));
            return Take(at->x(), at->y());
          }
          // One device pixel a press; the warp comes back as a motion.
          const int dx = key == Key::kLeft ? -1 : key == Key::kRight ? 1 : 0;
          const int dy = key == Key::kUp ? -1 : key == Key::kDown ? 1 : 0;
          if (dx != 0 || dy != 0) {
            xcb_warp_pointer(connection_, XCB_NONE, XCB_NONE, 0, 0, 0, 0,
                             static_cast<std::int16_t>(dx), static_cast<std::int16_t>(dy));
            xcb_flush(connection_);
          }
          break;
        }
        default:
          break;
      }
    }
    if (xcb_connection_has_error(connection_)) {
      return End(Outcome::kFailed, QStringLiteral("The connection to the X server was lost."));
    }
    // Only the last of a burst of moves is drawn.
    if (!moved) return;
    ShowLoupe(moved->x(), moved->y());
  }
}

void X11Picker::ShowLoupe(int x, int y) {
  if (const auto pixels = Pixels(x, y, Loupe::kSpan)) loupe_->ShowAt(LogicalPoint(x, y), *pixels);
}

void X11Picker::Take(int x, int y) {
  const auto pixel = Pixels(x, y, 1);
  if (!pixel) {
    return End(
        Outcome::kFailed,
        QStringLiteral("The screen gave no pixel at %1, %2; no colour was picked.").arg(x).arg(y));
  }
  const QRgb rgb = pixel->pixel(0, 0);
  Release();
  if (onPicked) onPicked(colour::RGB(qRed(rgb), qGreen(rgb), qBlue(rgb)));
}

std::optional<QImage> X11Picker::Pixels(int x, int y, int span) const {
  const int half = span / 2;
  const QRect wanted(x - half, y - half, span, span);
  const QRect read = wanted & QRect(0, 0, width_, height_);
  if (read.isEmpty()) return std::nullopt;
  xcb_generic_error_t* error = nullptr;
  const auto image = Owned(xcb_get_image_reply(
      connection_,
      xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_,
                    static_cast<std::int16_t>(read.x()), static_cast<std::int16_t>(read.y()),
                    static_cast<std::uint16_t>(read.width()),
                    static_cast<std::uint16_t>(read.height()), ~0U),
      &error));
  std::free(error);
  if (!image) return std::nullopt;
  const xcb_setup_t* setup = xcb_get_setup(connection_);
  int bitsPerPixel = 0;
  int pad = 32;
  for (auto format = xcb_setup_pixmap_formats_iterator(setup); format.rem;
       xcb_format_next(&format)) {
    if (format.data->depth == image->depth) {
      bitsPerPixel = format.data->bits_per_pixel;
      pad = format.data->scanline_pad;
    }
  }
  const xcb_visualtype_t* visual = nullptr;
  const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
  for (auto depth = xcb_screen_allowed_depths_iterator(screen); depth.rem && !visual;
       xcb_depth_next(&depth)) {
    for (auto type = xcb_depth_visuals_iterator(depth.data); type.rem; xcb_visualtype_next(&type)) {
      if (type.data->visual_id == screen->root_visual) visual = type.data;
    }
  }
  const int bytes = bitsPerPixel / 8;
  if (!visual || (bytes != 2 && bytes != 3 && bytes != 4)) return std::nullopt;
  const int stride = ((read.width() * bitsPerPixel + pad - 1) / pad) * (pad / 8);
  const std::uint8_t* data = xcb_get_image_data(image.get());
  if (xcb_get_image_data_length(image.get()) < stride * read.height()) return std::nullopt;
  const bool msbFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;

  QImage pixels(span, span, QImage::Format_ARGB32);
  pixels.fill(Qt::transparent);
  for (int row = 0; row < read.height(); ++row) {
    for (int column = 0; column < read.width(); ++column) {
      const std::uint8_t* at = data + row * stride + column * bytes;
      std::uint32_t value = 0;
      for (int b = 0; b < bytes; ++b) {
        const int shift = msbFirst ? 8 * (bytes - 1 - b) : 8 * b;
        value |= static_cast<std::uint32_t>(at[b]) << shift;
      }
      pixels.setPixel(read.x() - wanted.x() + column, read.y() - wanted.y() + row,
                      qRgb(Channel(value, visual->red_mask), Channel(value, visual->green_mask),
                           Channel(value, visual->blue_mask)));
    }
  }
  return pixels;
}

std::optional<QPoint> X11Picker::Pointer() const {
  const auto reply =
      Owned(xcb_query_pointer_reply(connection_, xcb_query_pointer(connection_, root_), nullptr));
  if (!reply) return std::nullopt;
  return QPoint(reply->root_x, reply->root_y);
}

void X11Picker::MapKeys() {
  keys_.fill(Key::kNone);
  const xcb_setup_t* setup = xcb_get_setup(connection_);
  const int first = setup->min_keycode;
  const int count = setup->max_keycode - first + 1;
  const auto mapping = Owned(xcb_get_keyboard_mapping_reply(
      connection_,
      xcb_get_keyboard_mapping(connection_, static_cast<xcb_keycode_t>(first),
                               static_cast<std::uint8_t>(count)),
      nullptr));
  if (!mapping) return;
  const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(mapping.get());
  const int perCode = mapping->keysyms_per_keycode;
  for (int code = 0; code < count; ++code) {
    // The unshifted and shifted symbols of each key; keypad keys included.
    for (int column = 0; column < perCode && column < 2; ++column) {
      Key key = Key::kNone;
      switch (symbols[code * perCode + column]) {
        case 0xFF0D:  // Return
        case 0xFF8D:  // KP_Enter
        case 0x0020:  // space
          key = Key::kTake;
          break;
        case 0xFF1B:  // Escape
          key = Key::kCancel;
          break;
        case 0xFF51:  // Left
        case 0xFF96:  // KP_Left
          key = Key::kLeft;
          break;
        case 0xFF52:  // Up
        case 0xFF97:  // KP_Up
          key = Key::kUp;
          break;
        case 0xFF53:  // Right
        case 0xFF98:  // KP_Right
          key = Key::kRight;
          break;
        case 0xFF54:  // Down
        case 0xFF99:  // KP_Down
          key = Key::kDown;
          break;
        default:
          break;
      }
      if (key != Key::kNone) keys_[static_cast<std::size_t>(first + code)] = key;
    }
  }
}

void X11Picker::Release() {
  retry_.stop();
  notifier_.reset();
  loupe_.reset();
  if (!connection_) return;
  if (!xcb_connection_has_error(connection_)) {
    xcb_ungrab_keyboard(connection_, XCB_CURRENT_TIME);
    xcb_ungrab_pointer(connection_, XCB_CURRENT_TIME);
    if (cursor_ != 0) xcb_free_cursor(connection_, cursor_);
    xcb_flush(connection_);
  }
  // Closing the connection would end its grabs in any case.
  xcb_disconnect(connection_);
  connection_ = nullptr;
  cursor_ = 0;
}

void X11Picker::End(Outcome outcome, const QString& reason) {
  Release();
  if (outcome == Outcome::kCancelled && onCancelled) onCancelled();
  if (outcome == Outcome::kFailed && onFailed) onFailed(reason);
}

}  // namespace picker
