#include "forms/application.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace forms {

App::App(QString title, QString path) : title_(std::move(title)), path_(std::move(path)) {}

QString App::Path() const {
  return path_.isEmpty() ? QCoreApplication::applicationDirPath() : path_;
}

void App::SetTitle(const QString& title) {
  if (title == title_) return;
  title_ = title;
  if (onTitleChanged) onTitleChanged(title_);
}

void App::End() {
  if (onEnd) onEnd();
  std::fflush(nullptr);
  // Immediate, as the end of a program is: no window closes, no handler runs.
  std::_Exit(EXIT_SUCCESS);
}

void App::MsgBox(const QString& text) {
  if (msgBoxHandler) return msgBoxHandler(text);
  std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

}  // namespace forms
