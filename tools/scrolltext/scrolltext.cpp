// kessivar_scrolltext TEXTS OUTPUT: turns the scroller's texts (a plain text file, see
// scroll_texts.txt for its format) into data/scroll_texts.cpp. Refuses, with a message
// naming the entry, any text that does not have the layout the scroller is timed for:
// 75 entries, each blank run and separator exact, each paragraph of its fixed length
// and number of trailing spaces, only letters, digits, space, ! & ' ( ) * , - . / : ;
// and one single o-umlaut (written as UTF-8 in the file, byte 0xF6 in the table).
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// One entry's required layout: an exact text (blank runs, separators), or a paragraph
// of a given length whose last `trailing` characters, and no more, are spaces.
struct Layout {
  const char* exact;  // null for a paragraph
  int length;
  int trailing;
};

constexpr const char* blank6 = "      ";
constexpr const char* blank42 = "                                          ";
constexpr const char* dash1 = "      -      ";
constexpr const char* dashSpace = "      -       ";
constexpr const char* dash2 = "      --      ";
constexpr const char* dash3 = "      ---      ";

Layout text(const char* exact) { return {exact, int(std::strlen(exact)), 0}; }
Layout para(int length, int trailing) { return {nullptr, length, trailing}; }

// The scroller's timing rests on these: 1512 blank columns before the first paragraph,
// 1566 between passes, the separators' widths.
const std::vector<Layout> layout = {
    text(blank42), text(blank42),   text(blank42),   text(blank42),   text(blank42), text(blank42),
    para(89, 1),   para(64, 0),     text(blank6),    para(138, 0),    text(dash3),   text(dash3),
    text(dash3),   para(37, 0),     text(blank6),    para(30, 4),     para(26, 0),   text(blank6),
    para(33, 0),   text(dash1),     text(dash1),     text(dash1),     para(395, 0),  text(dash1),
    text(dash1),   text(dash1),     para(161, 0),    text(dash1),     text(dash1),   text(dash1),
    para(337, 0),  text(dashSpace), text(dashSpace), text(dashSpace), para(557, 3),  text(dash1),
    text(dash1),   text(dash1),     para(93, 4),     para(716, 3),    text(dash1),   text(dash1),
    text(dash1),   para(318, 10),   para(84, 1),     para(82, 1),     para(85, 1),   para(84, 1),
    para(79, 1),   para(81, 1),     para(82, 1),     para(81, 1),     para(72, 0),   text(dash2),
    text(dash2),   text(dash2),     para(80, 1),     para(76, 1),     para(78, 1),   para(82, 1),
    para(42, 0),   text(dash2),     text(dash2),     text(dash2),     para(86, 1),   para(73, 1),
    para(72, 1),   text(blank6),    para(73, 1),     text(blank6),    para(80, 1),   para(81, 1),
    para(17, 0),   text(blank6),    text("---"),
};

constexpr unsigned char oUmlaut = 0xF6;

bool fail(const std::string& message) {
  std::fprintf(stderr, "scrolltext: %s\n", message.c_str());
  return false;
}

bool allowed(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == oUmlaut ||
         (c != 0 && std::strchr(" !&'(),-./:;*", c) != nullptr);
}

// The file's UTF-8 o-umlaut (C3 B6) becomes the one Latin-1 byte; any other byte above
// 127 is refused.
bool toLatin1(const std::string& line, int lineNumber, std::string& out) {
  out.clear();
  for (size_t i = 0; i < line.size(); ++i) {
    const unsigned char c = line[i];
    if (c < 0x80) {
      out += char(c);
    } else if (c == 0xC3 && i + 1 < line.size() && (unsigned char)line[i + 1] == 0xB6) {
      out += char(oUmlaut);
      ++i;
    } else {
      return fail("line " + std::to_string(lineNumber) + ": a byte above 127 that is not o-umlaut");
    }
  }
  return true;
}

// Reads the entries: "@" lines start an entry, "#" lines are comments, the other lines
// of an entry are joined with one space and the last one ends in "|", which marks the
// end of the text (so trailing spaces stay visible).
bool readEntries(const char* path, std::vector<std::string>& entries) {
  std::ifstream in(path);
  if (!in) return fail(std::string("cannot read ") + path);
  std::string raw, line, current;
  bool open = false, closed = false;
  int lineNumber = 0;
  auto where = [&] { return std::string(path) + ":" + std::to_string(lineNumber) + ": "; };
  while (std::getline(in, raw)) {
    ++lineNumber;
    if (!raw.empty() && raw.back() == '\r') return fail(where() + "carriage return");
    if (!raw.empty() && raw[0] == '#') continue;
    if (!raw.empty() && raw[0] == '@') {
      if (open && !closed) return fail(where() + "the entry before has no closing '|'");
      entries.push_back("");
      open = true, closed = false, current.clear();
      continue;
    }
    if (raw.empty()) continue;
    if (!open) return fail(where() + "text before the first '@' line");
    if (closed) return fail(where() + "text after the entry's closing '|'");
    if (!toLatin1(raw, lineNumber, line)) return false;
    const size_t bar = line.find('|');
    if (bar != std::string::npos && bar + 1 != line.size()) return fail(where() + "'|' must end the line");
    if (!current.empty()) {
      if (line[0] == ' ') return fail(where() + "a continued line may not begin with a space");
      current += ' ';
    }
    if (bar == std::string::npos) {
      if (line.back() == ' ') return fail(where() + "a line may end in a space only before '|'");
      current += line;
    } else {
      current += line.substr(0, bar);
      closed = true;
      entries.back() = current;
    }
  }
  if (open && !closed) return fail(std::string(path) + ": the last entry has no closing '|'");
  return true;
}

int trailingSpaces(const std::string& s) {
  int n = 0;
  for (size_t i = s.size(); i > 0 && s[i - 1] == ' '; --i) ++n;
  return n;
}

bool checkEntry(size_t index, const std::string& s, int& umlauts) {
  const Layout& want = layout[index];
  const std::string name = "entry " + std::to_string(index) + ": ";
  for (unsigned char c : s) {
    if (!allowed(c)) return fail(name + "character '" + char(c) + "' is not one the scroller may show");
    if (c == oUmlaut) ++umlauts;
  }
  if (want.exact) {
    if (s != want.exact)
      return fail(name + "must be exactly \"" + want.exact + "\" (" + std::to_string(want.length) +
                  " characters), has \"" + s + "\"");
    return true;
  }
  if (int(s.size()) != want.length)
    return fail(name + std::to_string(s.size()) + " characters, must have " + std::to_string(want.length));
  if (s[0] == ' ') return fail(name + "a paragraph may not begin with a space");
  if (trailingSpaces(s) != want.trailing)
    return fail(name + "ends in " + std::to_string(trailingSpaces(s)) + " spaces, must end in " +
                std::to_string(want.trailing));
  return true;
}

bool checkEntries(const std::vector<std::string>& entries) {
  if (entries.size() != layout.size())
    return fail(std::to_string(entries.size()) + " entries, the scroller needs " +
                std::to_string(layout.size()));
  int umlauts = 0;
  bool ok = true;
  for (size_t i = 0; i < entries.size(); ++i) ok = checkEntry(i, entries[i], umlauts) && ok;
  if (ok && umlauts != 1)
    return fail("o-umlaut is used " + std::to_string(umlauts) + " times, must be used once");
  return ok;
}

// A C++ string literal; the o-umlaut as an octal escape (never swallows what follows).
std::string literal(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) out += c == oUmlaut ? std::string("\\366") : std::string(1, char(c));
  return out + "\"";
}

std::string describe(size_t index) {
  const Layout& l = layout[index];
  if (l.exact) return std::to_string(l.length) + " characters, all shown blank";
  return std::to_string(l.length) + " characters" +
         (l.trailing ? ", " + std::to_string(l.trailing) + " trailing space" + (l.trailing > 1 ? "s" : "")
                     : "");
}

// Long paragraphs as adjacent literals of at most 72 characters each.
std::string source(const std::vector<std::string>& entries) {
  std::ostringstream out;
  out << "// Generated by kessivar_scrolltext (tools/scrolltext) from tools/scrolltext/scroll_texts.txt.\n"
         "// Do not edit: change the texts there and build the target gen-scroll-texts.\n"
         "#include \"data/scroll_texts.h\"\n\n"
         "const int scrollTextCount = "
      << entries.size()
      << ";\n\n"
         "// Each entry is one text; the scroller joins them without adding space.\n"
         "const char* const scrollTexts[] = {\n";
  for (size_t i = 0; i < entries.size(); ++i) {
    out << "    // " << i << ": " << describe(i) << "\n";
    const std::string& s = entries[i];
    for (size_t at = 0; at < s.size(); at += 72)
      out << "    " << literal(s.substr(at, 72)) << (at + 72 >= s.size() ? ",\n" : "\n");
  }
  out << "};\n";
  return out.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s TEXTS OUTPUT\n", argv[0]);
    return 2;
  }
  std::vector<std::string> entries;
  if (!readEntries(argv[1], entries) || !checkEntries(entries)) return 1;
  std::ofstream out(argv[2], std::ios::binary);
  out << source(entries);
  if (!out.flush()) {
    std::fprintf(stderr, "scrolltext: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
