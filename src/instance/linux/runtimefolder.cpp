#include "instance/linux/runtimefolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QStandardPaths>
#include <cerrno>

namespace instance {

QString DefaultRuntimeFolder() {
  const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (runtime.isEmpty()) return {};
  return runtime + QStringLiteral("/huvenor");
}

bool PrepareRuntimeFolder(const QString& path) {
  const QByteArray native = QFile::encodeName(path);
  if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) return false;
  struct stat info {};
  if (::lstat(native.constData(), &info) != 0) return false;
  if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) return false;
  if ((info.st_mode & 077) != 0 && ::chmod(native.constData(), 0700) != 0) return false;
  return true;
}

std::optional<FileId> OwnSocket(const QString& path) {
  struct stat info {};
  if (::lstat(QFile::encodeName(path).constData(), &info) != 0) return std::nullopt;
  if (!S_ISSOCK(info.st_mode) || info.st_uid != ::geteuid()) return std::nullopt;
  return FileId{info.st_dev, info.st_ino};
}

void RemoveSocket(const QString& path, std::optional<FileId> id) {
  if (id && OwnSocket(path) == id) ::unlink(QFile::encodeName(path).constData());
}

}  // namespace instance
