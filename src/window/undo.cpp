// Swapping the pair, and undoing and redoing the window's steps: the keys
// and the entries on the preview's menu, and which changes of the controls
// join one step.
#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <array>
#include <string_view>
#include <utility>

#include "window/main.h"
#include "window/texts.h"

namespace window {

namespace {

const QKeySequence kSwapKeys(Qt::CTRL | Qt::SHIFT | Qt::Key_X);
const QKeySequence kUndoKeys(Qt::CTRL | Qt::Key_Z);
const QKeySequence kRedoKeys(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
const QKeySequence kRedoOtherKeys(Qt::CTRL | Qt::Key_Y);

constexpr std::array<std::string_view, 3> kChannels = {"Red", "Green", "Blue"};

}  // namespace

void Main::ConnectHistory() {
  // Swap's entry, just below the pick's, is made as the preview's menu first
  // opens, ahead of the entries made then: the first frame has no use for it.
  txtEXAMPLE->onMenuWanted = [this, then = std::move(txtEXAMPLE->onMenuWanted),
                              made = false]() mutable {
    if (!std::exchange(made, true)) AddSwapEntry();
    if (then) then();
  };
  // In a channel box these keys would otherwise undo its text, or nothing.
  form.AddShortcut(
      kSwapKeys, [this] { Form_Swap(); }, forms::KeyPrecedence::Window);
  form.AddShortcut(
      kUndoKeys, [this] { Form_Undo(); }, forms::KeyPrecedence::Window);
  for (const QKeySequence& keys : {kRedoKeys, kRedoOtherKeys}) {
    form.AddShortcut(
        keys, [this] { Form_Redo(); }, forms::KeyPrecedence::Window);
  }
  // A slider's moves or a box's typing are one step while it keeps the focus.
  QObject::connect(qApp, &QApplication::focusChanged, form.widget(), [this] { EndRun(); });
}

void Main::AddSwapEntry() {
  QWidget* preview = txtEXAMPLE->widget();
  auto* swap = new QAction(QStringLiteral("Swap Text and Background"), preview);
  swap->setShortcut(kSwapKeys);
  swap->setShortcutVisibleInContextMenu(true);
  QObject::connect(swap, &QAction::triggered, preview, [this] { Form_Swap(); });
  txtEXAMPLE->AddLeadingMenuAction(swap);
  auto* separator = new QAction(preview);
  separator->setSeparator(true);
  txtEXAMPLE->AddLeadingMenuAction(separator);
}

void Main::txtEXAMPLE_HistoryEntries(QMenu& menu) {
  if (undoEntry_ == nullptr) {
    QWidget* preview = txtEXAMPLE->widget();
    undoEntry_ = new QAction(preview);
    undoEntry_->setShortcut(kUndoKeys);
    redoEntry_ = new QAction(preview);
    redoEntry_->setShortcuts({kRedoKeys, kRedoOtherKeys});
    for (QAction* entry : {undoEntry_, redoEntry_}) entry->setShortcutVisibleInContextMenu(true);
    QObject::connect(undoEntry_, &QAction::triggered, preview, [this] { Form_Undo(); });
    QObject::connect(redoEntry_, &QAction::triggered, preview, [this] { Form_Redo(); });
    historySeparator_ = new QAction(preview);
    historySeparator_->setSeparator(true);
  }
  const Step* undo = history_.NextUndo();
  const Step* redo = history_.NextRedo();
  undoEntry_->setText(undo ? QStringLiteral("Undo ") + undo->name : QStringLiteral("Undo"));
  redoEntry_->setText(redo ? QStringLiteral("Redo ") + redo->name : QStringLiteral("Redo"));
  undoEntry_->setEnabled(undo != nullptr);
  redoEntry_->setEnabled(redo != nullptr);
  menu.insertActions(menu.actions().value(0), {undoEntry_, redoEntry_, historySeparator_});
}

void Main::Form_Swap() {
  Change(QStringLiteral("Swap Text and Background"),
         [this] { ShowPair(txtEXAMPLE->BackColor(), txtEXAMPLE->ForeColor()); });
}

void Main::Form_Undo() {
  if (const WindowState* state = history_.Undo()) {
    EndRun();
    Restore(*state);
  }
}

void Main::Form_Redo() {
  if (const WindowState* state = history_.Redo()) {
    EndRun();
    Restore(*state);
  }
}

void Main::ChangeAt(RunSource source, const std::function<void()>& handler) {
  if (changing_ > 0) return handler();
  if (source != run_) {
    run_ = source;
    ++runs_;
  }
  const QString channel = Text(kChannels[static_cast<std::size_t>(source.index)]);
  Change(source.kind == RunKind::Typing ? QStringLiteral("Typing in %1 Box").arg(channel)
                                        : QStringLiteral("Move %1 Slider").arg(channel),
         handler, runs_);
}

void Main::EndRun() {
  run_ = {};
}

}  // namespace window
