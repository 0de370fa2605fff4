#include <shlobj.h>
#include <windows.h>

#include <QDir>
#include <QFileInfo>
#include <iterator>

#include "palette/filesystem.h"
#include "palette/palettefile.h"

namespace palette::fs {
namespace {

LPCWSTR Wide(const QString& text) {
  return reinterpret_cast<LPCWSTR>(text.utf16());
}

// "Access is denied", as the system words it, without the closing full stop
// that would end up inside the message's brackets.
QString SystemReason(DWORD code) {
  wchar_t text[512] = {};
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                     text, static_cast<DWORD>(std::size(text)), nullptr);
  QString reason = QString::fromWCharArray(text, static_cast<qsizetype>(length)).trimmed();
  if (reason.endsWith(u'.')) reason.chop(1);
  return reason.isEmpty() ? QStringLiteral("error %1").arg(code) : reason;
}

// Closes the handle it holds on every way out.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (Valid()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE Get() const { return handle_; }
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

Handle OpenForWriting(const QString& path, DWORD creation, DWORD flags) {
  return Handle(CreateFileW(Wide(QDir::toNativeSeparators(path)), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            creation, flags, nullptr));
}

}  // namespace

// The roaming application data folder, as Windows programs keep their
// settings: %APPDATA%\Huvenor\kelvane.cfg.
QString PerUserPath() {
  PWSTR folder = nullptr;
  QString path;
  if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &folder) == S_OK) {
    path = QDir::fromNativeSeparators(QString::fromWCharArray(folder)) +
           QStringLiteral("/Huvenor/") + QLatin1String(kFileName);
  }
  CoTaskMemFree(folder);
  return path;
}

QString MakeFolderFor(const QString& path) {
  const QString folder = QDir::toNativeSeparators(QFileInfo(path).absolutePath());
  const int made = SHCreateDirectoryExW(nullptr, Wide(folder), nullptr);
  if (made == ERROR_SUCCESS || made == ERROR_ALREADY_EXISTS) return {};
  return SystemReason(static_cast<DWORD>(made));
}

// Windows answers for its access lists only when asked to open: a file is
// opened for writing and a new one made and dropped again at once.
bool TakesSave(const QString& path) {
  const QFileInfo info(path);
  if (info.isFile() && OpenForWriting(path, OPEN_EXISTING, 0).Valid()) return true;
  const QString probe =
      info.absolutePath() + QStringLiteral("/.huvenor-probe-%1").arg(GetCurrentProcessId());
  return OpenForWriting(probe, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE)
      .Valid();
}

QString RewriteInPlace(const QString& path, const QByteArray& image) {
  const Handle file = OpenForWriting(path, OPEN_EXISTING, FILE_FLAG_WRITE_THROUGH);
  if (!file.Valid()) return SystemReason(GetLastError());
  DWORD written = 0;
  if (!WriteFile(file.Get(), image.constData(), static_cast<DWORD>(image.size()), &written,
                 nullptr) ||
      written != static_cast<DWORD>(image.size()) || !FlushFileBuffers(file.Get()))
    return SystemReason(GetLastError());
  return {};
}

}  // namespace palette::fs
