// TextBox: an edit box with the Text, Sel* and colour properties and the
// Change, KeyPress and focus events of the forms contract.
//
// Change is raised inside an assignment of Text or SelText that changes the
// text, and after every edit by the user; never for an assignment of the
// text the box already holds. KeyPress sees each typed character before the
// box does: the handler gets the code by reference, and 0 on return means the
// box receives nothing. Control shortcuts (Ctrl+C, Ctrl+V, ...) and the
// navigation keys Tab and Delete are not typed characters and keep their
// standard behaviour. A multi-line box has no scroll bars, for the eye or
// for assistive tools.
#pragma once

#include <QList>
#include <QString>
#include <utility>
#include <vector>

#include "forms/control.h"

class QAction;
class QLineEdit;
class QPlainTextEdit;
class QMenu;

namespace forms {

enum class Lines { Single, Multi };
enum class Editing { Editable, Locked };

struct TextBoxStyle {
  Lines lines = Lines::Single;
  Editing editing = Editing::Editable;
  Qt::Alignment alignment = Qt::AlignLeft;
};

class TextBox : public Control {
 public:
  TextBox(QWidget* container, const TwipsRect& place, const TextBoxStyle& style);
  ~TextBox() override;

  QString Text() const;
  void SetText(const QString& text);

  int SelStart() const;
  void SetSelStart(int position);
  int SelLength() const;
  void SetSelLength(int length);
  void SetSelText(const QString& text);

  // Adds a command below the box's standard context menu (Copy, Select All...).
  void AddMenuCommand(const QString& caption, std::function<void()> command);
  // Shows `action` (a command, or a submenu of them) above the standard
  // entries, after those added before it. The caller keeps it alive.
  void AddLeadingMenuAction(QAction* action);

  std::function<void()> onChange;
  std::function<void()> onGotFocus;
  std::function<void()> onLostFocus;
  std::function<void(std::int16_t& keyAscii)> onKeyPress;
  // Raised as the box's context menu opens, before anything is put in it:
  // leading actions added here show in this menu already, so they can be
  // made on first use.
  std::function<void()> onMenuWanted;
  // Raised as the box's context menu opens, its standard entries and the
  // added commands in it, for entries that change with the window's state.
  std::function<void(QMenu& menu)> onContextMenu;

 private:
  template <class Editor>
  class FocusReporting;
  class LineWidget;
  using MemoWidget = FocusReporting<QPlainTextEdit>;
  template <class Editor>
  friend class FocusReporting;
  friend class LineWidget;

  static QWidget* MakeEditor(QWidget* container, const TextBoxStyle& style);

  void RaiseChange();
  void RaiseFocus(bool gained, Qt::FocusReason reason);
  // Returns true when the handler swallowed the key; may rewrite `keyAscii`.
  bool FilterKey(std::int16_t& keyAscii);

  QLineEdit* line_ = nullptr;
  QPlainTextEdit* memo_ = nullptr;
  // A multi-line box keeps the text as assigned (line breaks "\r\n") and
  // shows it with Qt's line breaks.
  QString memoText_;
  std::vector<std::pair<QString, std::function<void()>>> menuCommands_;
  QList<QAction*> leadingActions_;
};

}  // namespace forms
