// Saves palettes over and over until it is killed, so that a test can kill it
// in the middle of a save. Save number g writes a palette whose every word
// tells g, so a file holding records of two saves shows as a mix:
//   record n = {g, n - g}
// Numbering goes on from the palette it loads, so a file whose number went
// down was written over by an older palette. Before each save it prints the
// moment it starts (CLOCK_MONOTONIC, in nanoseconds), one line each, so a
// test can tell where in a save its kill landed.
//
// Usage: palette_saver BESIDE PER-USER
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "palette/palettefile.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: palette_saver BESIDE PER-USER\n");
    return 2;
  }
  palette::PaletteFile file(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
  const auto last = file.Load().records[0];
  for (std::int32_t g = last ? last->fore + 1 : 1;; ++g) {
    const std::string start =
        std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "\n";
    if (::write(STDOUT_FILENO, start.data(), start.size()) < 0) return 1;
    palette::Records records;
    for (int n = 1; n <= palette::kRecordCount; ++n) records[n - 1] = {g, n - g};
    const palette::Saved saved = file.Save(records);
    if (!saved.problem.isEmpty()) {
      std::fprintf(stderr, "%s\n", saved.problem.toLocal8Bit().constData());
      return 1;
    }
  }
}
