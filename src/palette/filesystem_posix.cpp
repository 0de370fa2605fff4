#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "palette/filesystem.h"
#include "palette/palettefile.h"

namespace palette::fs {
namespace {

// Judged as the program itself would be: effective ids, so that a copy run
// by root through setuid or sudo is judged as the user it acts as.
bool Allowed(const QString& path, int mode) {
  return ::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), mode, AT_EACCESS) == 0;
}

}  // namespace

QString PerUserPath() {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  // An unknown location must not turn into a file at the root of the disk.
  if (folder.isEmpty()) return {};
  return folder + u'/' + QLatin1String(kFileName);
}

QString MakeFolderFor(const QString& path) {
  std::error_code error;
  std::filesystem::create_directories(
      QFile::encodeName(QFileInfo(path).absolutePath()).toStdString(), error);
  return error ? QString::fromLocal8Bit(error.message()) : QString();
}

bool TakesSave(const QString& path) {
  const QFileInfo info(path);
  return (info.isFile() && Allowed(path, W_OK)) || Allowed(info.absolutePath(), W_OK | X_OK);
}

QString RewriteInPlace(const QString& path, const QByteArray& image) {
  QFile file(path);
  if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
    return file.errorString();
  if (file.write(image) != image.size()) return file.errorString();
  if (::fdatasync(file.handle()) != 0) return QString::fromLocal8Bit(std::strerror(errno));
  return {};
}

}  // namespace palette::fs
