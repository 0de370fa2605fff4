#include "forms/textbox.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>
#include <algorithm>

#include "forms/colourword.h"
#include "forms/form.h"

namespace forms {

namespace {

// Focus that moves to a popup menu or to another application stays, as far as
// the window is concerned, in the box: no LostFocus/GotFocus pair for those.
bool MovesFocusWithinWindow(Qt::FocusReason reason) {
  return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

// The character a key event types, or 0 for keys that type nothing in the
// sense of the KeyPress event: navigation, Delete and control shortcuts.
char16_t TypedCharacter(const QKeyEvent& event) {
  const QString text = event.text();
  if (text.size() != 1) return 0;
  const char16_t c = text.front().unicode();
  switch (c) {
    case u'\b':
    case u'\r':
    case 0x1B:  // Escape
      return c;
    default:
      break;
  }
  if (c < 0x20 || c == 0x7F) return 0;
  if (event.modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return 0;
  return c;
}

}  // namespace

// Either kind of editor tells its box when it gains or loses the focus,
// shows the box's own commands around its standard context menu, and leaves
// to the window the keys its window takes first.
template <class Editor>
class TextBox::FocusReporting : public Editor {
 public:
  explicit FocusReporting(QWidget* parent) : Editor(parent) {}
  TextBox* owner = nullptr;

 protected:
  bool event(QEvent* event) override {
    // Not overriding the shortcut is what lets the window's run, though the
    // editor binds the same keys (Ctrl+Z to its text undo).
    if (event->type() == QEvent::ShortcutOverride &&
        Form::WindowTakes(*this, *static_cast<QKeyEvent*>(event))) {
      event->ignore();
      return true;
    }
    return Editor::event(event);
  }
  void contextMenuEvent(QContextMenuEvent* event) override {
    if (owner && owner->onMenuWanted) owner->onMenuWanted();
    if (owner == nullptr ||
        (owner->menuCommands_.empty() && owner->leadingActions_.empty() && !owner->onContextMenu)) {
      return Editor::contextMenuEvent(event);
    }
    QMenu* menu = Editor::createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (!owner->leadingActions_.empty()) {
      QAction* first = menu->actions().value(0);
      menu->insertActions(first, owner->leadingActions_);
      menu->insertSeparator(first);
    }
    if (!owner->menuCommands_.empty()) menu->addSeparator();
    for (const auto& [caption, command] : owner->menuCommands_) {
      menu->addAction(caption, menu, command);
    }
    if (owner->onContextMenu) owner->onContextMenu(*menu);
    menu->popup(event->globalPos());
  }
  void focusInEvent(QFocusEvent* event) override {
    Editor::focusInEvent(event);
    if (owner) owner->RaiseFocus(true, event->reason());
  }
  void focusOutEvent(QFocusEvent* event) override {
    Editor::focusOutEvent(event);
    if (owner) owner->RaiseFocus(false, event->reason());
  }
};

class TextBox::LineWidget : public FocusReporting<QLineEdit> {
 public:
  using FocusReporting::FocusReporting;

 protected:
  bool event(QEvent* event) override {
    // An editable box keeps every key that types a character from the
    // window's shortcuts. QLineEdit decides that only after matching the key
    // against each standard key binding, which cost about a quarter of a
    // typed digit's time; deciding it here first gives the same answer.
    if (event->type() == QEvent::ShortcutOverride && !isReadOnly()) {
      auto* key = static_cast<QKeyEvent*>(event);
      const Qt::KeyboardModifiers modifiers = key->modifiers();
      if (key->key() < Qt::Key_Escape &&
          (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier ||
           modifiers == Qt::KeypadModifier)) {
        key->accept();
        return true;
      }
    }
    return FocusReporting::event(event);
  }
  void keyPressEvent(QKeyEvent* event) override {
    const char16_t typed = TypedCharacter(*event);
    if (owner == nullptr || typed == 0) return QLineEdit::keyPressEvent(event);
    std::int16_t code = static_cast<std::int16_t>(typed);
    if (owner->FilterKey(code)) return event->accept();
    if (code == static_cast<std::int16_t>(typed)) return QLineEdit::keyPressEvent(event);
    // The handler changed the character: the box receives the new one instead.
    QKeyEvent replaced(event->type(), code == u'\b' ? Qt::Key_Backspace : Qt::Key_unknown,
                       Qt::NoModifier, QString(QChar(static_cast<char16_t>(code))));
    QLineEdit::keyPressEvent(&replaced);
  }
};

QWidget* TextBox::MakeEditor(QWidget* container, const TextBoxStyle& style) {
  const bool locked = style.editing == Editing::Locked;
  if (style.lines == Lines::Single) {
    auto* line = new LineWidget(container);
    line->setReadOnly(locked);
    line->setAlignment(style.alignment | Qt::AlignVCenter);
    return line;
  }
  auto* memo = new MemoWidget(container);
  memo->setReadOnly(locked);
  memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Qt keeps each scroll bar, shown or not, in a frame among the box's own
  // children, where assistive tools list it as an empty scroll bar. Made a
  // window of its own (never shown, still owned by the box) the frame leaves
  // the box's children; the box never shows its scroll bars, so it looks the
  // same.
  for (const QScrollBar* bar : {memo->horizontalScrollBar(), memo->verticalScrollBar()}) {
    bar->parentWidget()->setWindowFlag(Qt::Window);
  }
  QTextOption option = memo->document()->defaultTextOption();
  option.setAlignment(style.alignment);
  memo->document()->setDefaultTextOption(option);
  // A locked box still lets its text be selected and copied.
  memo->setTextInteractionFlags(locked ? Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard
                                       : Qt::TextEditorInteraction);
  return memo;
}

TextBox::TextBox(QWidget* container, const TwipsRect& place, const TextBoxStyle& style)
    : Control(MakeEditor(container, style), place, QPalette::Text, QPalette::Base,
              kSystemWindowText, kSystemWindow) {
  if (style.lines == Lines::Single) {
    auto* line = static_cast<LineWidget*>(widget());
    line->owner = this;
    line_ = line;
    QObject::connect(line_, &QLineEdit::textChanged, line_, [this] { RaiseChange(); });
  } else {
    auto* memo = static_cast<MemoWidget*>(widget());
    memo->owner = this;
    memo_ = memo;
  }
}

TextBox::~TextBox() {
  if (!widget()) return;
  if (line_) {
    static_cast<LineWidget*>(line_)->owner = nullptr;
    QObject::disconnect(line_, nullptr, line_, nullptr);
  }
  if (memo_) static_cast<MemoWidget*>(memo_)->owner = nullptr;
}

QString TextBox::Text() const {
  return line_ ? line_->text() : memoText_;
}

void TextBox::SetText(const QString& text) {
  if (text == Text()) return;
  if (line_) return line_->setText(text);  // raises Change through textChanged
  memoText_ = text;
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  memo_->setPlainText(shown);
  RaiseChange();
}

int TextBox::SelStart() const {
  if (!line_) return 0;
  return line_->hasSelectedText() ? line_->selectionStart() : line_->cursorPosition();
}

void TextBox::SetSelStart(int position) {
  if (line_) line_->setCursorPosition(std::clamp(position, 0, static_cast<int>(Text().size())));
}

int TextBox::SelLength() const {
  return line_ ? line_->selectionLength() : 0;
}

void TextBox::SetSelLength(int length) {
  if (!line_) return;
  const int start = SelStart();
  line_->setSelection(start, std::clamp(length, 0, static_cast<int>(Text().size()) - start));
}

void TextBox::SetSelText(const QString& text) {
  if (line_) line_->insert(text);  // replaces the selection and raises Change
}

void TextBox::AddMenuCommand(const QString& caption, std::function<void()> command) {
  menuCommands_.emplace_back(caption, std::move(command));
}

void TextBox::AddLeadingMenuAction(QAction* action) {
  leadingActions_.append(action);
}

void TextBox::RaiseChange() {
  Raise(onChange);
}

void TextBox::RaiseFocus(bool gained, Qt::FocusReason reason) {
  if (!MovesFocusWithinWindow(reason)) return;
  Raise(gained ? onGotFocus : onLostFocus);
}

bool TextBox::FilterKey(std::int16_t& keyAscii) {
  if (!onKeyPress) return false;
  onKeyPress(keyAscii);
  return keyAscii == 0;
}

}  // namespace forms
