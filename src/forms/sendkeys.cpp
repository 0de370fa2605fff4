#include "forms/sendkeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace forms {

namespace {

void Post(int key, const QString& text) {
  QWidget* target = QApplication::focusWidget();
  if (!target) target = QApplication::activeWindow();
  if (!target) return;
  QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
  QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
}

}  // namespace

void SendKeys(const QString& keys) {
  static const QString kTab = QStringLiteral("{TAB}");
  for (qsizetype at = 0; at < keys.size();) {
    if (keys.mid(at, kTab.size()).compare(kTab, Qt::CaseInsensitive) == 0) {
      Post(Qt::Key_Tab, QStringLiteral("\t"));
      at += kTab.size();
    } else {
      Post(Qt::Key_unknown, keys.mid(at, 1));
      at += 1;
    }
  }
}

}  // namespace forms
