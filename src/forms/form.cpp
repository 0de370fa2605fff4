#include "forms/form.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QShortcut>
#include <algorithm>

#include "forms/fonts.h"
#include "forms/twips.h"

namespace forms {

class Form::FormWidget : public QWidget {
 public:
  explicit FormWidget(Form& owner) : owner_(owner) {}

  // Keys of the window's commands that win over the focused control's own.
  QList<QKeySequence> windowKeys;

 protected:
  void closeEvent(QCloseEvent* event) override {
    std::int16_t cancel = 0;
    if (owner_.onUnload) owner_.onUnload(cancel);
    if (cancel != 0) return event->ignore();
    QWidget::closeEvent(event);
  }

 private:
  Form& owner_;
};

Form::Form(const QString& caption, int clientWidthTwips, int clientHeightTwips)
    : widget_(std::make_unique<FormWidget>(*this)) {
  // Before any of its controls lays out text.
  WaitForFonts();
  widget_->setWindowTitle(caption);
  widget_->setFont(DialogFont());
  // The layout is drawn for one client size and nothing in it adapts, so the
  // window keeps that size; the frame offers close and minimise only.
  widget_->setFixedSize(TwipsToPixels(clientWidthTwips), TwipsToPixels(clientHeightTwips));
  widget_->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
}

Form::~Form() = default;

QWidget* Form::widget() const {
  return widget_.get();
}

void Form::SetIcon(const QIcon& icon) {
  widget_->setWindowIcon(icon);
}

void Form::AddShortcut(const QKeySequence& keys, std::function<void()> command,
                       KeyPrecedence precedence) {
  auto* shortcut = new QShortcut(keys, widget_.get());
  QObject::connect(shortcut, &QShortcut::activated, shortcut, std::move(command));
  if (precedence == KeyPrecedence::Window) widget_->windowKeys.append(keys);
}

bool Form::WindowTakes(const QWidget& control, const QKeyEvent& key) {
  const auto* form = dynamic_cast<const FormWidget*>(control.window());
  if (form == nullptr || form->windowKeys.isEmpty()) return false;
  const QKeySequence pressed(
      QKeyCombination(key.modifiers() & ~Qt::KeypadModifier, static_cast<Qt::Key>(key.key())));
  return std::ranges::find(form->windowKeys, pressed) != form->windowKeys.end();
}

void Form::Load() {
  if (onLoad) onLoad();
}

void Form::Show() {
  widget_->show();
}

}  // namespace forms
