// Form: the top-level window, its client area fixed to the design's size.
// Load is raised by the program before the window is first shown; Unload when
// the window is closed, where the handler may cancel the close.
#pragma once

#include <QIcon>
#include <QKeySequence>
#include <QList>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class QKeyEvent;

namespace forms {

// Who wins a key both the window and the control with the focus bind.
enum class KeyPrecedence {
  Control,  // an editable box keeps Ctrl+V for its own paste
  Window,   // the window's command runs there too (undo over a box's text undo)
};

class Form {
 public:
  Form(const QString& caption, int clientWidthTwips, int clientHeightTwips);
  ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  QWidget* widget() const;
  void SetIcon(const QIcon& icon);

  // Runs `command` when `keys` are pressed anywhere in the window, unless the
  // control with the focus takes those keys itself (an editable box takes
  // Ctrl+V) and `precedence` leaves them to it.
  void AddShortcut(const QKeySequence& keys, std::function<void()> command,
                   KeyPrecedence precedence = KeyPrecedence::Control);
  // Whether the window that holds `control` takes `key` ahead of the
  // control's own binding of it; asked by controls that bind keys.
  static bool WindowTakes(const QWidget& control, const QKeyEvent& key);

  void Load();
  void Show();

  std::function<void()> onLoad;
  std::function<void(std::int16_t& cancel)> onUnload;

 private:
  class FormWidget;
  std::unique_ptr<FormWidget> widget_;
};

}  // namespace forms
