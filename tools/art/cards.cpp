// The five invitation cards and the writer strip bands that are shown beside them.
// Writer block 0 stands alone; block w + 1 stands beside card w, so both tell one topic.
#include "art.h"
#include "screen/layout.h"

#include <cmath>

namespace {

// Card atlas and writer strip image: sizes, cells and bands are in screen/layout.h.
const int cardLines = 7;  // body lines per card

struct CardText {
  const char* title;
  const char* lines[cardLines];  // nullptr ends early
};

const CardText cardTexts[5] = {
    {"COMPETITIONS",
     {"PC demo, 10 MB max", "PC 64k intro", "PC 4k intro", "Oldskool demo", "Wild: anything goes",
      "1500 EUR in prizes", "Deadline Sat 12:00"}},
    {"MUSIC + GRAPHICS",
     {"Tracked music, 4 ch", "Streamed music, 3 min", "Pixel graphics", "Rendered graphics",
      "Bring your work stages", "Vote with your ticket", nullptr}},
    {"THE PLACE",
     {"Ostrakka hall", "Rantatie 12, Velmola", "800 m from the station", "Bus 14 to the door",
      "Free parking behind", "Sauna and a lake swim", nullptr}},
    {"ENTRANCE",
     {"25 EUR for four days", "Doors open Thu 18:00", "Bring: computer, monitor", "10 m network cable",
      "Power strip, headphones", "Sleeping bag", "No alcohol in the hall"}},
    {"CONTACT",
     {"orgs@kessivar.example", "IRC: #kessivar, LumiNet", "Main orga: Aino K.", "Compos: Veikko S.",
      "Tech crew: Ilkka T.", "See you in August!", nullptr}},
};

// Seven lines per writer block; line 0 is the heading.
const char* const writerTexts[writerBlockCount][writerStripCount] = {
    {"WELCOME TO KESSIVAR 2002", "four days and nights of", "demos, intros, music and",
     "pixels by lake Velmo in", "Velmola, 01.-04. August.", "Bring your machine and",
     "your best production!"},
    {"THE COMPETITIONS", "demo, 64k, 4k, oldskool", "and wild: show the big", "screen what your code",
     "can do. All deadlines", "are Saturday 12:00 and", "the prizes 1500 EUR."},
    {"MUSIC AND GRAPHICS", "tracked and streamed", "music, pixel and rendered", "graphics. Every entry is",
     "shown on the big screen", "and voted on by all of", "us with a ticket."},
    {"HOW TO GET THERE", "Ostrakka hall stands by", "lake Velmo, 800 m from", "Velmola railway station.",
     "Bus 14 stops at the door,", "and the car park behind", "the hall is free."},
    {"ENTRANCE", "25 EUR for all four days,", "doors open Thursday at", "18:00. Bring a computer,",
     "10 m of network cable,", "a power strip and", "something to sleep on."},
    {"CONTACT", "questions, help with an", "entry or a lift from the", "station? Mail the orgas",
     "or find us on #kessivar.", "See you in August!", "   - the Kessivar crew"},
};

// Card icons, drawn in a 72x72 box at (x, y).
void iconTrophy(cairo_t* cr, double x, double y) {
  cairo_new_path(cr);
  cairo_move_to(cr, x + 14, y + 6);
  cairo_line_to(cr, x + 58, y + 6);
  cairo_curve_to(cr, x + 58, y + 36, x + 48, y + 44, x + 40, y + 46);
  cairo_line_to(cr, x + 40, y + 56);
  cairo_line_to(cr, x + 52, y + 62);
  cairo_line_to(cr, x + 52, y + 68);
  cairo_line_to(cr, x + 20, y + 68);
  cairo_line_to(cr, x + 20, y + 62);
  cairo_line_to(cr, x + 32, y + 56);
  cairo_line_to(cr, x + 32, y + 46);
  cairo_curve_to(cr, x + 24, y + 44, x + 14, y + 36, x + 14, y + 6);
  cairo_close_path(cr);
  cairo_path_t* cup = cairo_copy_path(cr);
  cairo_pattern_t* gold = verticalGradient(y, y + 68, {1.0, 0.9, 0.5}, amberDeep);
  cairo_new_path(cr);
  cairo_arc(cr, x + 14, y + 21, 10, M_PI / 2, 3 * M_PI / 2);
  cairo_new_sub_path(cr);
  cairo_arc_negative(cr, x + 58, y + 21, 10, M_PI / 2, -M_PI / 2);
  setColour(cr, inkBlack);
  cairo_set_line_width(cr, 8);
  cairo_stroke_preserve(cr);
  cairo_set_source(cr, gold);
  cairo_set_line_width(cr, 4);
  cairo_stroke(cr);
  cairo_new_path(cr);
  cairo_append_path(cr, cup);
  cairo_path_destroy(cup);
  cairo_set_line_width(cr, 5);
  setColour(cr, inkBlack);
  cairo_stroke_preserve(cr);
  cairo_set_line_width(cr, 3);
  cairo_set_source(cr, gold);
  cairo_stroke_preserve(cr);
  cairo_fill(cr);
  cairo_pattern_destroy(gold);
}

void iconMusicAndPixels(cairo_t* cr, double x, double y) {
  setFont(cr, "DejaVu Sans", true, 60);
  outlinedText(cr, x - 4, y + 60, "\u266B", amber, inkBlack, 4);
  // A small pixel-art heart beside the note.
  const char* heart[] = {".##.##.", "#######", "#######", ".#####.", "..###..", "...#..."};
  for (int r = 0; r < 6; r++)
    for (int c = 0; c < 7; c++)
      if (heart[r][c] == '#') {
        setColour(cr, {1.0, 0.25 + r * 0.05, 0.35});
        cairo_rectangle(cr, x + 50 + c * 4, y + 26 + r * 4, 4, 4);
        cairo_fill(cr);
      }
}

void iconPin(cairo_t* cr, double x, double y) {
  cairo_set_line_width(cr, 3);
  for (int i = 0; i < 3; i++) {  // lake waves
    cairo_new_path(cr);
    const double wy = y + 56 + i * 6;
    cairo_move_to(cr, x + 4, wy);
    for (int k = 0; k < 4; k++) cairo_rel_curve_to(cr, 4, -4, 12, -4, 16, 0);
    setColour(cr, iceBlue, 1.0 - i * 0.25);
    cairo_stroke(cr);
  }
  cairo_new_path(cr);
  cairo_arc(cr, x + 36, y + 22, 18, M_PI * 0.8, M_PI * 2.2);
  cairo_line_to(cr, x + 36, y + 58);
  cairo_close_path(cr);
  setColour(cr, inkBlack);
  cairo_set_line_width(cr, 4);
  cairo_stroke_preserve(cr);
  cairo_pattern_t* red = verticalGradient(y + 4, y + 58, {1.0, 0.5, 0.3}, {0.7, 0.1, 0.1});
  cairo_set_source(cr, red);
  cairo_fill(cr);
  cairo_pattern_destroy(red);
  cairo_arc(cr, x + 36, y + 22, 7, 0, 2 * M_PI);
  setColour(cr, paper);
  cairo_fill(cr);
}

void iconTicket(cairo_t* cr, double x, double y) {
  cairo_new_path(cr);
  cairo_move_to(cr, x - 14, y + 14);
  cairo_line_to(cr, x + 86, y + 14);
  cairo_arc_negative(cr, x + 86, y + 37, 7, -M_PI / 2, M_PI / 2);
  cairo_line_to(cr, x + 86, y + 60);
  cairo_line_to(cr, x - 14, y + 60);
  cairo_arc_negative(cr, x - 14, y + 37, 7, M_PI / 2, -M_PI / 2);
  cairo_close_path(cr);
  setColour(cr, inkBlack);
  cairo_set_line_width(cr, 4);
  cairo_stroke_preserve(cr);
  cairo_pattern_t* gold = verticalGradient(y + 14, y + 60, {1.0, 0.85, 0.45}, amberDeep);
  cairo_set_source(cr, gold);
  cairo_fill(cr);
  cairo_pattern_destroy(gold);
  setColour(cr, inkNavy, 0.6);
  cairo_set_line_width(cr, 1.5);
  cairo_set_dash(cr, (const double[]){3, 3}, 2, 0);
  cairo_move_to(cr, x - 3, y + 19);
  cairo_line_to(cr, x + 75, y + 19);
  cairo_move_to(cr, x - 3, y + 55);
  cairo_line_to(cr, x + 75, y + 55);
  cairo_stroke(cr);
  cairo_set_dash(cr, nullptr, 0, 0);
  setFont(cr, "DejaVu Sans", true, 17);
  centredText(cr, x + 36, y + 44, "25 EUR", inkNavy, inkNavy, 0);
}

void iconBubble(cairo_t* cr, double x, double y) {
  cairo_new_path(cr);
  roundedRect(cr, x, y + 8, 72, 44, 12);
  setColour(cr, inkBlack);
  cairo_set_line_width(cr, 4);
  cairo_stroke_preserve(cr);
  setColour(cr, paper);
  cairo_fill(cr);
  cairo_new_path(cr);
  cairo_move_to(cr, x + 16, y + 50);
  cairo_line_to(cr, x + 12, y + 68);
  cairo_line_to(cr, x + 34, y + 50);
  setColour(cr, inkBlack);
  cairo_stroke_preserve(cr);
  setColour(cr, paper);
  cairo_fill(cr);
  setFont(cr, "DejaVu Sans", true, 30);
  centredText(cr, x + 36, y + 42, "@#", inkNavy, inkNavy, 0);
}

void (*const cardIcons[5])(cairo_t*, double, double) = {iconTrophy, iconMusicAndPixels, iconPin, iconTicket,
                                                        iconBubble};

// One card with its top-left corner at (x, y) of the atlas.
void drawCard(cairo_t* cr, int k, double x, double y) {
  const CardText& text = cardTexts[k];
  roundedRect(cr, x + 2, y + 2, cardWidth - 4, cardHeight - 4, 14);
  cairo_pattern_t* ground = verticalGradient(y, y + cardHeight, {0.08, 0.12, 0.30}, {0.01, 0.02, 0.08});
  cairo_set_source(cr, ground);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(ground);
  setColour(cr, amber);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);

  roundedRect(cr, x + 10, y + 10, cardWidth - 20, 40, 8);
  cairo_pattern_t* head = verticalGradient(y + 10, y + 50, {1.0, 0.82, 0.40}, amberDeep);
  cairo_set_source(cr, head);
  cairo_fill(cr);
  cairo_pattern_destroy(head);
  double titleSize = 22;  // shrinks for long titles so every header keeps its margins
  setFont(cr, "DejaVu Sans", true, titleSize);
  while (textWidth(cr, text.title) > cardWidth - 40) setFont(cr, "DejaVu Sans", true, --titleSize);
  require(titleSize >= 16, "a card title is too wide");
  centredText(cr, x + cardWidth / 2.0, y + 38, text.title, inkNavy, inkNavy, 0);

  cardIcons[k](cr, x + 92, y + 64);

  setFont(cr, "DejaVu Sans", true, 14);
  for (int i = 0; i < cardLines && text.lines[i]; i++) {
    const double baseline = y + 172 + i * 25;
    require(textWidth(cr, text.lines[i]) <= cardWidth - 32, "a card line is too wide");
    require(baseline + 6 <= y + cardHeight - cardHiddenRows - 6, "a card line falls under the footer");
    setColour(cr, amber, 0.9);
    cairo_rectangle(cr, x + 14, baseline - 7, 4, 4);
    cairo_fill(cr);
    outlinedText(cr, x + 24, baseline, text.lines[i], paper, inkBlack, 0);
  }
  setFont(cr, "DejaVu Sans", true, 11);
  char page[8] = {(char)('1' + k), '/', '5', 0};
  outlinedText(cr, x + cardWidth - 34, y + cardHeight - cardHiddenRows - 10, page, iceBlue, inkBlack, 0);
}

// One 256x20 writer band at row y: translucent dark backing, an amber tab, and the
// line of text outlined in black so it reads over white polygons.
void drawBand(cairo_t* cr, double y, const char* text, bool heading) {
  cairo_save(cr);
  cairo_rectangle(cr, 0, y, writerImageWidth, writerBandRows);
  cairo_clip(cr);
  cairo_pattern_t* backing = cairo_pattern_create_linear(0, 0, writerImageWidth, 0);
  cairo_pattern_add_color_stop_rgba(backing, 0.0, 0.02, 0.04, 0.14, 0.82);
  cairo_pattern_add_color_stop_rgba(backing, 1.0, 0.02, 0.04, 0.14, 0.55);
  cairo_set_source(cr, backing);
  cairo_paint(cr);
  cairo_pattern_destroy(backing);
  setColour(cr, heading ? amber : amberDeep);
  cairo_rectangle(cr, 0, y, 4, writerBandRows);
  cairo_fill(cr);

  setFont(cr, "DejaVu Sans", true, 13);
  require(textWidth(cr, text) <= writerImageWidth - 14, "a writer line is too wide");
  outlinedText(cr, 9, y + 15, text, heading ? amber : paper, inkBlack, 3);
  cairo_restore(cr);
}

}  // namespace

Picture paintCards() {
  cairo_surface_t* surface = newSurface(cardAtlasSize, cardAtlasSize, true);
  cairo_t* cr = cairo_create(surface);
  for (int k = 0; k < 5; k++) {
    cairo_save(cr);
    const double x = (k & 3) * cardWidth, y = (k / 4) * cardHeight;
    cairo_rectangle(cr, x, y, cardWidth, cardHeight);
    cairo_clip(cr);
    drawCard(cr, k, x, y);
    cairo_restore(cr);
  }
  return finishPicture(cr, surface, true);
}

Picture paintWriter() {
  cairo_surface_t* surface = newSurface(writerImageWidth, writerImageHeight, true);
  cairo_t* cr = cairo_create(surface);
  for (int w = 0; w < writerBlockCount; w++)
    for (int i = 0; i < writerStripCount; i++)
      drawBand(cr, (w * writerStripCount + i) * writerBandRows, writerTexts[w][i], i == 0);
  return finishPicture(cr, surface, true);
}

// The words of card `card` (0..4): its title for line -1, else its body line `line`, or
// nullptr past its last line.
const char* cardText(int card, int line) {
  if (line < 0) return cardTexts[card].title;
  return line < cardLines ? cardTexts[card].lines[line] : nullptr;
}

// Line `line` of writer block `block` (line 0 is the heading).
const char* writerText(int block, int line) { return writerTexts[block][line]; }
