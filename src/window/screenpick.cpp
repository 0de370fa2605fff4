// Picking the current target's colour from anywhere on the screen. The
// picker is made on first use, so a start neither loads nor asks anything.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QTimer>
#include <chrono>

#include "window/main.h"

namespace window {

namespace {

const QKeySequence kPickKeys(Qt::CTRL | Qt::SHIFT | Qt::Key_P);
constexpr std::chrono::milliseconds kAfterGrab(100);

}  // namespace

void Main::ConnectPicking() {
  QWidget* preview = txtEXAMPLE->widget();
  pickEntry_ = new QAction(QStringLiteral("Pick from Screen"), preview);
  pickEntry_->setShortcut(kPickKeys);
  pickEntry_->setShortcutVisibleInContextMenu(true);
  QObject::connect(pickEntry_, &QAction::triggered, preview, [this] { Form_PickFromScreen(); });
  txtEXAMPLE->AddLeadingMenuAction(pickEntry_);
  auto* separator = new QAction(preview);
  separator->setSeparator(true);
  txtEXAMPLE->AddLeadingMenuAction(separator);
  txtEXAMPLE->onContextMenu = [this](QMenu& menu) { txtEXAMPLE_ContextMenu(menu); };
  form.AddShortcut(kPickKeys, [this] { Form_PickFromScreen(); });
}

void Main::txtEXAMPLE_ContextMenu(QMenu& menu) {
  if (HavePicker()) return;
  pickEntry_->setEnabled(false);
  pickEntry_->setToolTip(*pickUnavailable_);
  menu.setToolTipsVisible(true);
}

bool Main::HavePicker() {
  if (!pickUnavailable_) {
    picker::Backend backend = picker::MakeScreenPicker();
    pickUnavailable_ = backend.unavailable;
    picker_ = std::move(backend.picker);
    if (picker_) {
      picker_->onPicked = [this](colour::ColourWord word) { PickedColour(word); };
      picker_->onFailed = [this](const QString& reason) { TellAfterPick(reason); };
    }
  }
  return picker_ != nullptr;
}

void Main::Form_PickFromScreen() {
  if (!HavePicker()) return TellAtPreview(*pickUnavailable_);
  picker_->Start(form.widget());
}

void Main::PickedColour(colour::ColourWord word) {
  // Through the sliders, so the handlers recolour the preview as a drag would.
  SetSliders(word);
  const QString target =
      optITEM[0].Value() ? QStringLiteral("text colour") : QStringLiteral("background colour");
  TellAfterPick(QStringLiteral("Picked #%1 as the %2.")
                    .arg(QString::fromStdString(colour::FinalHex(word)), target));
}

void Main::TellAfterPick(const QString& text) {
  // Once the pointer's return from the grab has been told to our windows:
  // that crossing would close a tip shown at once.
  QTimer::singleShot(kAfterGrab, txtEXAMPLE->widget(), [this, text] { TellAtPreview(text); });
}

}  // namespace window
