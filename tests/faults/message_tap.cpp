// Preloaded into the real program by fault_matrix.sh, in place of Qt's own
// QMessageBox::warning: each text the program tells the user is appended as
// one line to the file named by HUVENOR_MESSAGES before the message box is
// shown as usual, so the test knows the words while the box waits for its OK.
#include <QByteArray>
#include <QFile>
#include <QMessageBox>

QMessageBox::StandardButton QMessageBox::warning(QWidget* parent, const QString& title,
                                                 const QString& text, StandardButtons buttons,
                                                 StandardButton defaultButton) {
  QFile messages(QFile::decodeName(qgetenv("HUVENOR_MESSAGES")));
  if (messages.open(QIODevice::Append)) messages.write(text.toUtf8() + '\n');
  messages.close();
  QMessageBox box(Warning, title, text, buttons, parent);
  box.setDefaultButton(defaultButton);
  return static_cast<StandardButton>(box.exec());
}
