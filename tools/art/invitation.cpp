// The invitation as text, for the page (scripts/web.sh puts it into index.html): the same
// words the pictures and the scroller show, taken from where they are painted and scrolled,
// so that a screen reader, a search engine and a link preview read what the viewer sees.
#include <cstdio>
#include <string>

#include "art.h"
#include "data/scroll_texts.h"
#include "screen/layout.h"

namespace {

// text with its letters after the first of each word in lower case ("OSTRAKKA" -> "Ostrakka").
std::string titleCase(const char* text) {
  std::string out;
  bool inWord = false;
  for (const char* c = text; *c; ++c) {
    const bool letter = (*c >= 'A' && *c <= 'Z') || (*c >= 'a' && *c <= 'z');
    out += letter && inWord && *c >= 'A' && *c <= 'Z' ? char(*c - 'A' + 'a') : *c;
    inWord = letter;
  }
  return out;
}

// Latin-1 text (the scroller's o-umlaut is byte 0xF6) as UTF-8 HTML text.
std::string html(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '"')
      out += "&quot;";
    else if (c >= 0x80)
      out += char(0xC0 | (c >> 6)), out += char(0x80 | (c & 0x3F));
    else
      out += char(c);
  }
  return out;
}

// A writer block's lines after its heading as one sentence run, the strips' line breaks
// taken out.
std::string writerBody(int block) {
  std::string body;
  for (int line = 1; line < writerStripCount; ++line) {
    std::string words = writerText(block, line);
    while (!words.empty() && words.front() == ' ') words.erase(0, 1);
    body += (body.empty() ? "" : " ") + words;
  }
  return body;
}

// A scroll text that says something: not a blank run or a separator of dashes.
bool scrollWords(const char* text) {
  for (const char* c = text; *c; ++c)
    if (*c != ' ' && *c != '-') return true;
  return false;
}

std::string trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  while (!text.empty() && text.front() == ' ') text.erase(0, 1);
  return text;
}

bool writeFile(const std::string& path, const std::string& text) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file || std::fwrite(text.data(), 1, text.size(), file) != text.size() || std::fclose(file) != 0) {
    std::fprintf(stderr, "art: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

// dir/facts.txt: four lines, the party's name, dates, place and a one-paragraph description;
// dir/invitation.html: the cards with their writer blocks and the scroll texts, as one
// <section id="invitation">.
bool writeInvitation(const std::string& dir) {
  const std::string name = titleCase(eventName) + " " + eventYear;
  const std::string dates = titleCase(eventDates), place = titleCase(eventPlace);
  const std::string description = name + ", " + dates + ", " + place + ": " + writerBody(0);
  if (!writeFile(dir + "/facts.txt", name + "\n" + dates + "\n" + place + "\n" + description + "\n"))
    return false;

  std::string page = "<section id=\"invitation\" aria-labelledby=\"invitation-title\">\n";
  page += "<h2 id=\"invitation-title\">" + html(name) + "</h2>\n";
  page += "<p class=\"facts\">" + html(dates) + " &middot; " + html(place) + "</p>\n";
  page += "<h3>" + html(titleCase(writerText(0, 0))) + "</h3>\n<p>" + html(writerBody(0)) + "</p>\n";
  for (int card = 0; card < 5; ++card) {
    page += "<h3>" + html(titleCase(cardText(card, -1))) + "</h3>\n<ul>\n";
    for (int line = 0; cardText(card, line); ++line) page += "<li>" + html(cardText(card, line)) + "</li>\n";
    page += "</ul>\n<p>" + html(writerBody(card + 1)) + "</p>\n";
  }
  page += "<h3>From the scroller</h3>\n";
  for (int i = 0; i < scrollTextCount; ++i)
    if (scrollWords(scrollTexts[i])) page += "<p>" + html(trimmed(scrollTexts[i])) + "</p>\n";
  page += "<p><a href=\"#\">Back to the show</a></p>\n</section>\n";
  return writeFile(dir + "/invitation.html", page);
}
