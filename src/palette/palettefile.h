// The palette file: 25 records of two little-endian signed 32-bit colour
// words (text colour, then background colour), 200 bytes, no header.
// Records 1 to 24 hold the swatches, record 25 the preview. Every word is
// kept bit for bit, system-colour references included.
//
// Where it lives. The file beside the program comes first, so a portable
// folder keeps its palette with it. When that folder cannot take the file
// (read-only, full), the palette goes to the per-user configuration folder
// instead. Load reads whichever of the two files it can read was saved
// last, the one beside the program on a tie: a run that had to fall back to
// the per-user file finds its palette there next time, even though an older
// file beside the program is still in the way.
//
// Failures never end the program. A save writes a temporary file and
// renames it over the old one, so a failed save leaves the old palette as it
// was. Where that cannot be done (the folder takes no new files, the disk has
// no room for one) an existing file is rewritten in place by one write that
// never truncates it, so a save killed on the way leaves the old records or
// the new ones. A file that exists but cannot be read is reported, skipped in
// favour of the other file, and never written by this run, so a palette this
// run could not see is not replaced by the standard colours. For the same
// reason a file that another program changed after Load is first copied
// aside (or, where no copy can be made, left as it is) and the user told.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace palette {

inline constexpr char kFileName[] = "kelvane.cfg";
inline constexpr int kRecordCount = 25;
inline constexpr int kSwatchCount = 24;
inline constexpr int kPreviewRecord = 25;  // 1-based, as records are numbered
inline constexpr int kRecordLength = 8;
inline constexpr int kFileSize = kRecordCount * kRecordLength;

// One record; the window's buffer `recSTORE` is one of these.
struct Record {
  std::int32_t fore = 0;
  std::int32_t back = 0;
  friend bool operator==(const Record&, const Record&) = default;
};

using Records = std::array<Record, kRecordCount>;

struct Loaded {
  // Record n at [n-1]; empty for a record the file did not hold whole (or
  // for all of them when there was no file to read), so that swatch keeps
  // its design-time colours.
  std::array<std::optional<Record>, kRecordCount> records;
  // A sentence for the user for each file that exists but could not be
  // read; empty when there was none.
  QString problem;
};

struct Saved {
  QString path;     // where the palette went; empty when it went nowhere
  QString problem;  // one message for the user when it could not be saved
                    // anywhere, naming the paths and the system's reasons,
                    // or when a file changed by another program was kept
                    // aside or left alone; empty otherwise
};

// The palette file's path in the user's configuration folder, for a program
// folder that cannot take it; empty when the system knows no such folder.
// Needs the application's name to be set.
QString PerUserPath();

class PaletteFile {
 public:
  // Both are full paths of the file: `besideProgram` the window's
  // `strCFGPATH`, `perUser` usually PerUserPath(); an empty path is never
  // used. The per-user folder is created when the palette is first saved
  // there.
  PaletteFile(QString besideProgram, QString perUser);

  Loaded Load();
  Saved Save(const Records& records);

 private:
  // What a file was like when this run last read or wrote it.
  struct Seen {
    bool exists = false;
    qint64 size = 0;
    QDateTime modified;
    QByteArray records;  // as many of the records' bytes as it held
    friend bool operator==(const Seen&, const Seen&) = default;
  };
  struct Place {
    QString path;
    bool unreadable = false;   // exists but Load could not read it
    std::optional<Seen> seen;  // empty until Load looked
  };

  static Seen StateOf(const QString& path);

  // Beside the program first: saving tries them in this order.
  std::array<Place, 2> places_;
};

}  // namespace palette
