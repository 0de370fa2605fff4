#include "colour/importformats.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "colour/cssparse.h"

namespace colour {

namespace {

constexpr std::size_t kPreview = kSwatchCount;  // the pair after the swatches
constexpr std::size_t kPairs = kSwatchCount + 1;

enum Half : std::size_t { kText = 0, kBackground = 1 };

struct Slot {
  std::size_t pair;
  Half half;
};

ImportedPalette Refusal(std::string why) {
  ImportedPalette palette;
  palette.refusal = std::move(why);
  return palette;
}

std::string AtLine(int line, const std::string& why) {
  return "line " + std::to_string(line) + ": " + why;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A piece of the file inside a message: in quotes, at most 40 bytes of it cut
// at a whole UTF-8 character, a tab as a space and other control characters
// as '?'.
std::string Quoted(std::string_view text) {
  constexpr std::size_t kShown = 40;
  const bool cut = text.size() > kShown;
  if (cut) {
    std::size_t end = kShown;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text = text.substr(0, end);
  }
  std::string shown = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    shown += c == '\t' ? ' ' : byte < 0x20 || byte == 0x7F ? '?' : c;
  }
  return shown + (cut ? "...\"" : "\"");
}

// "1" .. "24" as an export writes it (no sign, no leading zero): the index.
std::optional<std::size_t> SwatchNumbered(std::string_view digits) {
  if (digits.empty() || digits.size() > 2 || digits.front() == '0') return std::nullopt;
  std::size_t number = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + static_cast<std::size_t>(c - '0');
  }
  if (number > kSwatchCount) return std::nullopt;
  return number - 1;
}

std::optional<std::size_t> PairNamed(std::string_view name) {
  if (name == "Preview") return kPreview;
  constexpr std::string_view kSwatch = "Swatch ";
  if (name.substr(0, kSwatch.size()) != kSwatch) return std::nullopt;
  return SwatchNumbered(name.substr(kSwatch.size()));
}

// The colours a file gives, each half of each pair at most once.
class Given {
 public:
  bool Has(Slot slot) const { return words_[slot.pair][slot.half].has_value(); }
  void Give(Slot slot, ColourWord word) { words_[slot.pair][slot.half] = word; }

  // The first colour a whole palette lacks: any swatch's, or the preview's
  // other half when the file gives one of them.
  std::optional<Slot> Missing() const {
    for (std::size_t pair = 0; pair < kPairs; ++pair) {
      const auto& [text, background] = words_[pair];
      if (pair == kPreview && !text && !background) break;
      if (!text) return Slot{pair, kText};
      if (!background) return Slot{pair, kBackground};
    }
    return std::nullopt;
  }

  ImportedPalette Palette() const {
    ImportedPalette palette;
    for (std::size_t pair = 0; pair < kSwatchCount; ++pair) {
      palette.swatches[pair] = {*words_[pair][kText], *words_[pair][kBackground]};
    }
    if (words_[kPreview][kText]) {
      palette.preview = ColourPair{*words_[kPreview][kText], *words_[kPreview][kBackground]};
    }
    return palette;
  }

 private:
  std::array<std::array<std::optional<ColourWord>, 2>, kPairs> words_{};
};

// What the readers share: a place in the text, its line, and the refusal.
class Reader {
 protected:
  explicit Reader(std::string_view text) : text_(text) {}

  bool AtEnd() const { return at_ >= text_.size(); }
  char Peek() const { return text_[at_]; }
  bool Starts(std::string_view start) const { return text_.substr(at_, start.size()) == start; }
  void Next() {
    if (text_[at_++] == '\n') ++line_;
  }
  // The rest of the line from here, for a message.
  std::string_view RestOfLine() const {
    const std::string_view rest = text_.substr(at_);
    return rest.substr(0, rest.find('\n'));
  }
  // The line of the place reached: at the end, the last line rather than
  // the empty one after its line break.
  int Here() const { return AtEnd() && !text_.empty() && text_.back() == '\n' ? line_ - 1 : line_; }
  bool Fail(int line, const std::string& why) {
    refusal_ = AtLine(line, why);
    return false;
  }

  std::string_view text_;
  std::size_t at_ = 0;
  int line_ = 1;
  std::string refusal_;
};

// ---- CSS: the :root block of custom properties ----------------------------

std::string CssName(Slot slot) {
  const std::string pair =
      slot.pair < kSwatchCount ? "--swatch-" + std::to_string(slot.pair + 1) : "--preview";
  return pair + (slot.half == kText ? "-color" : "-background");
}

std::optional<Slot> CssSlot(std::string_view name) {
  std::optional<std::size_t> pair;
  std::string_view half;
  constexpr std::string_view kSwatch = "--swatch-";
  constexpr std::string_view kPreviewName = "--preview-";
  if (name.substr(0, kSwatch.size()) == kSwatch) {
    const std::string_view rest = name.substr(kSwatch.size());
    const std::size_t dash = rest.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    pair = SwatchNumbered(rest.substr(0, dash));
    half = rest.substr(dash + 1);
  } else if (name.substr(0, kPreviewName.size()) == kPreviewName) {
    pair = kPreview;
    half = name.substr(kPreviewName.size());
  }
  if (!pair) return std::nullopt;
  if (half == "color") return Slot{*pair, kText};
  if (half == "background") return Slot{*pair, kBackground};
  return std::nullopt;
}

bool IsNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_';
}

class CssReader : Reader {
 public:
  explicit CssReader(std::string_view text) : Reader(text) {}

  ImportedPalette Read() {
    Given given;
    if (!SkipBlank()) return Refusal(refusal_);
    if (!Starts(":root")) {
      Fail(Here(),
           "this is not a palette Huvenor exports: it starts with neither :root (CSS), "
           "\"GIMP Palette\" nor [ (JSON).");
      return Refusal(refusal_);
    }
    for (int i = 0; i < 5; ++i) Next();
    if (!SkipBlank()) return Refusal(refusal_);
    if (AtEnd() || Peek() != '{') {
      Fail(Here(), "expected { after :root.");
      return Refusal(refusal_);
    }
    Next();
    for (;;) {
      if (!SkipBlank()) return Refusal(refusal_);
      if (AtEnd()) {
        Fail(Here(), "the :root block is never closed.");
        return Refusal(refusal_);
      }
      if (Peek() == '}') break;
      if (Peek() == ';') {
        Next();
        continue;
      }
      if (!ReadDeclaration(given)) return Refusal(refusal_);
    }
    const int closing = line_;
    Next();
    if (!SkipBlank()) return Refusal(refusal_);
    if (!AtEnd()) {
      Fail(Here(), "nothing may follow the :root block.");
      return Refusal(refusal_);
    }
    if (const std::optional<Slot> missing = given.Missing()) {
      Fail(closing, "the :root block ends without " + CssName(*missing) + ".");
      return Refusal(refusal_);
    }
    return given.Palette();
  }

 private:
  // Skips white space and comments; false at a comment never closed.
  bool SkipBlank() {
    while (!AtEnd()) {
      if (IsBlank(Peek())) {
        Next();
        continue;
      }
      if (!Starts("/*")) return true;
      const int opened = line_;
      Next();
      Next();
      while (!AtEnd() && !Starts("*/")) Next();
      if (AtEnd()) return Fail(opened, "the comment is never closed.");
      Next();
      Next();
    }
    return true;
  }

  // `--swatch-1-color: #0000FF;`, the `;` left out before the block's end.
  bool ReadDeclaration(Given& given) {
    const int line = line_;
    const std::size_t start = at_;
    while (!AtEnd() && IsNameCharacter(Peek())) Next();
    const std::string_view name = text_.substr(start, at_ - start);
    if (name.substr(0, 2) != "--") {
      return Fail(line, "expected a custom property such as --swatch-1-color, not " +
                            Quoted(name.empty() ? RestOfLine() : name) + ".");
    }
    const std::optional<Slot> slot = CssSlot(name);
    if (!slot) {
      return Fail(line, Quoted(name) +
                            " is not a colour of the palette: they are --swatch-1-color to "
                            "--swatch-24-background, --preview-color and --preview-background.");
    }
    if (given.Has(*slot)) return Fail(line, CssName(*slot) + " is given twice.");
    if (!SkipBlank()) return false;
    if (AtEnd() || Peek() != ':') return Fail(Here(), "expected : after " + CssName(*slot) + ".");
    Next();
    // The value runs to the `;` or the block's `}`; a comment in it is a space.
    std::string value;
    while (!AtEnd() && Peek() != ';' && Peek() != '}') {
      if (Starts("/*")) {
        if (!SkipBlank()) return false;
        value += ' ';
        continue;
      }
      value += Peek();
      Next();
    }
    if (AtEnd()) return Fail(Here(), "the :root block is never closed.");
    if (Peek() == ';') Next();
    const std::string_view text = Trimmed(value);
    if (text.empty()) return Fail(line, CssName(*slot) + " has no value.");
    const CssColour read = ReadCssColour(text);
    if (!read.word) return Fail(line, CssName(*slot) + ": " + read.refusal);
    given.Give(*slot, *read.word);
    return true;
  }
};

// ---- GIMP palette: "R G B<TAB>name" lines ----------------------------------

std::string GplName(Slot slot) {
  return PairName(slot.pair) + (slot.half == kText ? " text" : " background");
}

std::optional<Slot> GplSlot(std::string_view name) {
  const std::size_t space = name.rfind(' ');
  if (space == std::string_view::npos) return std::nullopt;
  const std::optional<std::size_t> pair = PairNamed(name.substr(0, space));
  const std::string_view half = name.substr(space + 1);
  if (!pair) return std::nullopt;
  if (half == "text") return Slot{*pair, kText};
  if (half == "background") return Slot{*pair, kBackground};
  return std::nullopt;
}

ImportedPalette ReadGpl(std::string_view text) {
  const auto refuse = [](int line, const std::string& why) { return Refusal(AtLine(line, why)); };
  const std::string shape =
      "expected three numbers 0 to 255 and a name, as \"255 0 100 Swatch 1 background\", not ";
  Given given;
  int line = 0;
  int last = 1;  // the last line that holds anything
  bool colours = false;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    const std::string_view row = Trimmed(text.substr(at, end - at));
    at = end + 1;
    ++line;
    if (line == 1) {
      if (row != "GIMP Palette") return refuse(1, "expected \"GIMP Palette\" alone on the line.");
      continue;
    }
    if (row.empty() || row.front() == '#') continue;
    last = line;
    if (!colours && (row.substr(0, 5) == "Name:" || row.substr(0, 8) == "Columns:")) continue;
    colours = true;
    std::string_view rest = row;
    std::array<Channel, 3> channels{};
    for (std::size_t i = 0; i < channels.size(); ++i) {
      if (i > 0) {
        if (rest.empty() || !IsBlank(rest.front())) return refuse(line, shape + Quoted(row) + ".");
        rest = Trimmed(rest);
      }
      std::size_t digits = 0;
      int value = 0;
      while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9') {
        value = std::min(value * 10 + (rest[digits] - '0'), 1000);
        ++digits;
      }
      if (digits == 0) return refuse(line, shape + Quoted(row) + ".");
      if (value > kChannelMax) {
        return refuse(line,
                      Quoted(rest.substr(0, digits)) + " is not a channel: each is 0 to 255.");
      }
      channels[i] = static_cast<Channel>(value);
      rest.remove_prefix(digits);
    }
    if (rest.empty()) {
      return refuse(line,
                    "the colour has no name: they are \"Swatch 1 text\" to \"Preview "
                    "background\".");
    }
    if (!IsBlank(rest.front())) return refuse(line, shape + Quoted(row) + ".");
    const std::string_view name = Trimmed(rest);
    const std::optional<Slot> slot = GplSlot(name);
    if (!slot) {
      return refuse(line, Quoted(name) +
                              " is not a colour of the palette: they are \"Swatch 1 text\" to "
                              "\"Swatch 24 background\", \"Preview text\" and \"Preview "
                              "background\".");
    }
    if (given.Has(*slot)) return refuse(line, "\"" + GplName(*slot) + "\" is given twice.");
    given.Give(*slot, RGB(channels[0], channels[1], channels[2]));
  }
  if (const std::optional<Slot> missing = given.Missing()) {
    return refuse(last, "the palette ends without \"" + GplName(*missing) + "\".");
  }
  return given.Palette();
}

// ---- JSON: an array of {"name", "color", "background"} --------------------

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

class JsonReader : Reader {
 public:
  explicit JsonReader(std::string_view text) : Reader(text) {}

  ImportedPalette Read() {
    Given given;
    SkipSpace();
    Next();  // the `[` the text was told apart by
    SkipSpace();
    if (AtEnd() || Peek() != ']') {
      for (;;) {
        SkipSpace();
        if (AtEnd() || Peek() != '{') {
          Fail(Here(),
               "expected an entry such as {\"name\": \"Swatch 1\", \"color\": \"#0000FF\", "
               "\"background\": \"#FF0064\"}.");
          return Refusal(refusal_);
        }
        if (!ReadEntry(given)) return Refusal(refusal_);
        SkipSpace();
        if (AtEnd()) {
          Fail(Here(), "the array is never closed.");
          return Refusal(refusal_);
        }
        if (Peek() == ']') break;
        if (Peek() != ',') {
          Fail(Here(), "expected , or ] after an entry.");
          return Refusal(refusal_);
        }
        Next();
      }
    }
    const int closing = line_;
    Next();
    SkipSpace();
    if (!AtEnd()) {
      Fail(Here(), "nothing may follow the array.");
      return Refusal(refusal_);
    }
    if (const std::optional<Slot> missing = given.Missing()) {
      Fail(closing, "the array ends without an entry named \"" + PairName(missing->pair) + "\".");
      return Refusal(refusal_);
    }
    return given.Palette();
  }

 private:
  static constexpr std::array<std::string_view, 3> kKeys{"name", "color", "background"};

  struct Field {
    std::string value;
    int line = 0;
    bool given = false;
  };

  void SkipSpace() {
    while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r')) {
      Next();
    }
  }

  bool ReadEntry(Given& given) {
    std::array<Field, kKeys.size()> fields;
    Next();  // `{`
    SkipSpace();
    if (AtEnd() || Peek() != '}') {
      for (;;) {
        SkipSpace();
        const int line = line_;
        if (AtEnd() || Peek() != '"') {
          return Fail(line, "expected a key in quotes: \"name\", \"color\" or \"background\".");
        }
        std::string key;
        if (!ReadString(key)) return false;
        const auto known = std::find(kKeys.begin(), kKeys.end(), key);
        if (known == kKeys.end()) {
          return Fail(line, Quoted(key) +
                                " is not a key of an entry: they are \"name\", \"color\" and "
                                "\"background\".");
        }
        Field& field = fields[static_cast<std::size_t>(known - kKeys.begin())];
        if (field.given) return Fail(line, "\"" + key + "\" is given twice in one entry.");
        SkipSpace();
        if (AtEnd() || Peek() != ':') return Fail(Here(), "expected : after \"" + key + "\".");
        Next();
        SkipSpace();
        if (AtEnd() || Peek() != '"') {
          return Fail(Here(), "the value of \"" + key + "\" is not a string.");
        }
        field.line = line_;
        if (!ReadString(field.value)) return false;
        field.given = true;
        SkipSpace();
        if (AtEnd()) return Fail(Here(), "the entry is never closed.");
        if (Peek() == '}') break;
        if (Peek() != ',')
          return Fail(Here(), "expected , or } after the value of \"" + key + "\".");
        Next();
      }
    }
    const int closing = line_;
    Next();
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
      if (!fields[i].given) {
        return Fail(closing, "the entry ends without \"" + std::string(kKeys[i]) + "\".");
      }
    }
    const std::optional<std::size_t> pair = PairNamed(fields[0].value);
    if (!pair) {
      return Fail(fields[0].line, Quoted(fields[0].value) +
                                      " names no pair of the palette: they are \"Swatch 1\" to "
                                      "\"Swatch 24\" and \"Preview\".");
    }
    if (given.Has({*pair, kText})) {
      return Fail(fields[0].line, Quoted(PairName(*pair)) + " is given twice.");
    }
    for (const Half half : {kText, kBackground}) {
      const Field& field = fields[1 + half];
      const CssColour read = ReadCssColour(Trimmed(field.value));
      if (!read.word) {
        return Fail(field.line, "the \"" + std::string(kKeys[1 + half]) + "\" of \"" +
                                    PairName(*pair) + "\": " + read.refusal);
      }
      given.Give({*pair, half}, *read.word);
    }
    return true;
  }

  // Four hex digits of a \u escape.
  bool ReadHex4(std::uint32_t& code) {
    code = 0;
    for (int i = 0; i < 4; ++i) {
      if (AtEnd()) return false;
      const char c = Peek();
      std::uint32_t digit = 0;
      if (c >= '0' && c <= '9') {
        digit = static_cast<std::uint32_t>(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        digit = static_cast<std::uint32_t>(c - 'a' + 10);
      } else if (c >= 'A' && c <= 'F') {
        digit = static_cast<std::uint32_t>(c - 'A' + 10);
      } else {
        return false;
      }
      code = code * 16 + digit;
      Next();
    }
    return true;
  }

  // A string from its opening quote, its escapes resolved to UTF-8.
  bool ReadString(std::string& out) {
    const int opened = line_;
    Next();
    for (;;) {
      if (AtEnd()) return Fail(opened, "the string is never closed.");
      const char c = Peek();
      if (c == '"') {
        Next();
        return true;
      }
      if (static_cast<unsigned char>(c) < 0x20) {
        return Fail(Here(), "a string holds a line break or another control character.");
      }
      Next();
      if (c != '\\') {
        out += c;
        continue;
      }
      if (AtEnd()) return Fail(opened, "the string is never closed.");
      const char escape = Peek();
      Next();
      switch (escape) {
        case '"':
        case '\\':
        case '/':
          out += escape;
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          std::uint32_t code = 0;
          if (!ReadHex4(code)) return Fail(Here(), "\\u takes four hex digits.");
          if (code >= 0xD800 && code <= 0xDBFF) {
            std::uint32_t low = 0;
            if (!Starts("\\u")) return Fail(Here(), "a \\u escape is half of a character.");
            Next();
            Next();
            if (!ReadHex4(low)) return Fail(Here(), "\\u takes four hex digits.");
            if (low < 0xDC00 || low > 0xDFFF) {
              return Fail(Here(), "a \\u escape is half of a character.");
            }
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          } else if (code >= 0xDC00 && code <= 0xDFFF) {
            return Fail(Here(), "a \\u escape is half of a character.");
          }
          AppendUtf8(out, code);
          break;
        }
        default:
          return Fail(Here(), Quoted(std::string("\\") + escape) + " is not an escape JSON has.");
      }
    }
  }
};

}  // namespace

ImportedPalette ReadPalette(std::string_view text) {
  if (text.size() > kPaletteFileLimit) {
    return Refusal("the file is larger than 1 MiB; an exported palette is about 2 KiB.");
  }
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    text.remove_prefix(kByteOrderMark.size());
  }
  if (text.find_first_not_of(" \t\r\n\f") == std::string_view::npos) {
    return Refusal("the file is empty.");
  }
  if (text.substr(0, 12) == "GIMP Palette") return ReadGpl(text);
  // JSON's white space, which is CSS's less the form feed.
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first != std::string_view::npos && text[first] == '[') return JsonReader(text).Read();
  return CssReader(text).Read();
}

}  // namespace colour
