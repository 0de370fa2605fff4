// Form: the top-level window, its client area fixed to the design's size.
// Load is raised by the program before the window is first shown; Unload when
// the window is closed, where the handler may cancel the close.
#pragma once

#include <QIcon>
#include <QKeySequence>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

namespace forms {

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
  // Ctrl+V).
  void AddShortcut(const QKeySequence& keys, std::function<void()> command);

  void Load();
  void Show();

  std::function<void()> onLoad;
  std::function<void(std::int16_t& cancel)> onUnload;

 private:
  class FormWidget;
  std::unique_ptr<FormWidget> widget_;
};

}  // namespace forms
