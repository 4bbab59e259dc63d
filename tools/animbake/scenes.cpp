// The four shots of the animation, drawn with Cairo on black in flat cube-friendly
// tones (white, greys, red): a ninja leaping across the moon, a shuriken spinning out
// of a red sun, a ninja's shadow on a lit paper screen, and "2002" cut in two.
#include "scenes.h"

#include <cmath>

const Shot shots[shotCount] = {
    {"moon", 0, 50},
    {"shuriken", 50, 50},
    {"shoji", 100, 50},
    {"2002", 150, 50},
};

namespace {

constexpr double pi = 3.14159265358979323846;

struct Point {
  double x, y;
};

// Tones that the 6-level colour cube holds exactly.
void setGrey(cairo_t* cr, double v) { cairo_set_source_rgb(cr, v, v, v); }
void setRed(cairo_t* cr, double v) { cairo_set_source_rgb(cr, v, 0, 0); }

double clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }
double smooth(double v) {
  v = clamp01(v);
  return v * v * (3 - 2 * v);
}
double mix(double a, double b, double t) { return a + (b - a) * t; }

void disc(cairo_t* cr, double x, double y, double r) {
  cairo_new_path(cr);
  cairo_arc(cr, x, y, r, 0, 2 * pi);
  cairo_fill(cr);
}

void triangle(cairo_t* cr, Point a, Point b, Point c) {
  cairo_new_path(cr);
  cairo_move_to(cr, a.x, a.y);
  cairo_line_to(cr, b.x, b.y);
  cairo_line_to(cr, c.x, c.y);
  cairo_close_path(cr);
  cairo_fill(cr);
}

void segment(cairo_t* cr, Point a, Point b, double width) {
  cairo_set_line_width(cr, width);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_new_path(cr);
  cairo_move_to(cr, a.x, a.y);
  cairo_line_to(cr, b.x, b.y);
  cairo_stroke(cr);
}

// A figure's pose: angles in radians, 0 pointing straight down, positive swinging
// towards the way the figure faces.
struct Pose {
  double lean;               // torso tilt forward from upright
  double thigh[2], knee[2];  // thigh angle; knee bend (shin swings back by it)
  double arm[2], elbow[2];   // upper-arm angle; elbow bend (forearm swings forward)
  double sword;              // angle of the blade held in hand 0
  bool holdsSword;
};

Point step(Point p, double angle, double length, double facing) {
  return {p.x + facing * std::sin(angle) * length, p.y + std::cos(angle) * length};
}

// A ninja of height h (pixels) with hips at (x, y), facing +1 right or -1 left, all in
// the current source colour; sashRed > 0 adds a red sash whose tails wave with phase.
void drawNinja(cairo_t* cr, Point hip, double h, double facing, const Pose& pose, double sashRed,
               double phase) {
  const Point neck = {hip.x + facing * std::sin(pose.lean) * 0.30 * h,
                      hip.y - std::cos(pose.lean) * 0.30 * h};
  const Point head = {neck.x + facing * std::sin(pose.lean) * 0.09 * h,
                      neck.y - std::cos(pose.lean) * 0.09 * h};
  cairo_pattern_t* ink = cairo_get_source(cr);
  cairo_pattern_reference(ink);
  segment(cr, hip, neck, 0.15 * h);
  disc(cr, head.x, head.y, 0.075 * h);
  Point hand0 = hip;
  for (int i = 0; i < 2; ++i) {
    const Point knee = step(hip, pose.thigh[i], 0.25 * h, facing);
    const Point foot = step(knee, pose.thigh[i] - pose.knee[i], 0.25 * h, facing);
    segment(cr, hip, knee, 0.085 * h);
    segment(cr, knee, foot, 0.07 * h);
    const Point shoulder = {mix(hip.x, neck.x, 0.9), mix(hip.y, neck.y, 0.9)};
    const Point elbow = step(shoulder, pose.arm[i], 0.17 * h, facing);
    const Point hand = step(elbow, pose.arm[i] + pose.elbow[i], 0.16 * h, facing);
    segment(cr, shoulder, elbow, 0.065 * h);
    segment(cr, elbow, hand, 0.055 * h);
    if (i == 0) hand0 = hand;
  }
  if (pose.holdsSword) {
    segment(cr, hand0, step(hand0, pose.sword, 0.12 * h, facing), 0.035 * h);
    cairo_set_source_rgb(cr, 1, 1, 1);
    const Point guard = step(hand0, pose.sword, 0.12 * h, facing);
    segment(cr, guard, step(guard, pose.sword, 0.5 * h, facing), 0.025 * h);
  } else {
    // The sword on the back, hilt over the shoulder.
    const Point a = step(hip, pi - pose.lean - 0.6, 0.05 * h, facing);
    segment(cr, a, step(a, pi - pose.lean + 0.55, 0.55 * h, facing), 0.035 * h);
  }
  if (sashRed > 0) {
    setRed(cr, sashRed);
    const Point waist = {mix(hip.x, neck.x, 0.12), mix(hip.y, neck.y, 0.12)};
    segment(cr, step(waist, pi / 2 + pose.lean, 0.07 * h, -facing),
            step(waist, pi / 2 + pose.lean, 0.07 * h, facing), 0.05 * h);
    // Two tails streaming back from the knot.
    for (int t = 0; t < 2; ++t) {
      const Point knot = step(waist, pi / 2 + pose.lean, 0.07 * h, -facing);
      cairo_set_line_width(cr, 0.035 * h);
      cairo_new_path(cr);
      cairo_move_to(cr, knot.x, knot.y);
      const double len = (0.35 + 0.08 * t) * h;
      const double wave = std::sin(phase + t * 1.7) * 0.08 * h;
      cairo_curve_to(cr, knot.x - facing * len * 0.4, knot.y + wave + 0.03 * h, knot.x - facing * len * 0.7,
                     knot.y - wave + 0.06 * h * t, knot.x - facing * len,
                     knot.y + wave * 1.3 + 0.05 * h * (t + 1));
      cairo_stroke(cr);
    }
  }
  cairo_set_source(cr, ink);
  cairo_pattern_destroy(ink);
}

// Shot 1: a full moon; a black ninja leaps across it, red sash streaming, a cloud drifts.
void drawMoon(cairo_t* cr, int f, int n) {
  const double t = double(f) / (n - 1);
  const double mx = 370, my = 235, mr = 205;
  setGrey(cr, 1.0);
  disc(cr, mx, my, mr);
  cairo_save(cr);
  cairo_arc(cr, mx, my, mr, 0, 2 * pi);
  cairo_clip(cr);
  setGrey(cr, 0.8);
  disc(cr, mx + 32, my + 24, mr);
  setGrey(cr, 0.6);
  disc(cr, mx + 70, my - 40, 34);
  disc(cr, mx - 40, my + 70, 24);
  disc(cr, mx + 30, my + 110, 16);
  // A dark cloud bank drifting left across the lower moon.
  cairo_set_source_rgb(cr, 0, 0, 0);
  const double cx = 560 - 140 * t;
  cairo_new_path(cr);
  cairo_move_to(cr, cx - 420, my + 130);
  cairo_curve_to(cr, cx - 300, my + 95, cx - 200, my + 120, cx - 120, my + 105);
  cairo_curve_to(cr, cx - 40, my + 90, cx + 40, my + 118, cx + 200, my + 110);
  cairo_line_to(cr, cx + 200, my + 300);
  cairo_line_to(cr, cx - 420, my + 300);
  cairo_close_path(cr);
  cairo_fill(cr);
  cairo_restore(cr);
  // The leap: up from the lower left, over the moon's face, down to the right.
  const double s = 0.06 + 0.88 * t;
  const Point hip = {mix(20, 700, s), 430 - 330 * std::sin(pi * s)};
  const double open = std::sin(pi * clamp01(s * 1.2));
  Pose pose{};
  pose.lean = mix(0.15, 0.75, s);
  pose.thigh[0] = mix(0.3, 1.5, open);
  pose.knee[0] = mix(1.6, 1.3, open);
  pose.thigh[1] = mix(-0.2, -0.9, open);
  pose.knee[1] = mix(1.2, 0.3, open);
  pose.arm[0] = mix(1.0, 2.2, open);
  pose.elbow[0] = 0.3;
  pose.arm[1] = mix(-0.4, -1.3, open);
  pose.elbow[1] = 0.4;
  pose.sword = pose.arm[0] + 0.5;
  pose.holdsSword = true;
  cairo_set_source_rgb(cr, 0, 0, 0);
  drawNinja(cr, hip, 230, 1, pose, 1.0, f * 0.5);
}

// Shot 2: a red sun over black mountains; a shuriken spins out of it towards the viewer.
void drawShuriken(cairo_t* cr, int f, int n) {
  const double t = double(f) / (n - 1);
  const double sx = 430, sy = 225, sr = 190;
  setRed(cr, 1.0);
  disc(cr, sx, sy, sr);
  // Black mountains cut the sun's lower edge.
  static const Point ridge[] = {{0, 380},   {110, 330}, {200, 360}, {330, 290}, {400, 345},
                                {470, 320}, {540, 360}, {640, 330}, {640, 480}, {0, 480}};
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_new_path(cr);
  for (const Point& p : ridge) cairo_line_to(cr, p.x, p.y);
  cairo_close_path(cr);
  cairo_fill(cr);
  // Flight: from small near the sun's centre out to the lower left, growing.
  const double g = smooth(t) * 0.7 + t * 0.3;
  const double cx = mix(sx - 20, 250, g), cy = mix(sy - 40, 290, g);
  const double r = mix(65, 260, g * g);
  const double spin = 0.15 * f;
  for (int k = 0; k < 4; ++k) {
    const double a = spin + k * pi / 2;
    const Point tip = {cx + r * std::cos(a), cy + r * std::sin(a)};
    const Point left = {cx + 0.3 * r * std::cos(a - pi / 4), cy + 0.3 * r * std::sin(a - pi / 4)};
    const Point right = {cx + 0.3 * r * std::cos(a + pi / 4), cy + 0.3 * r * std::sin(a + pi / 4)};
    setGrey(cr, 1.0);
    triangle(cr, {cx, cy}, left, tip);
    setGrey(cr, 0.6);
    triangle(cr, {cx, cy}, tip, right);
  }
  cairo_set_source_rgb(cr, 0, 0, 0);
  disc(cr, cx, cy, 0.09 * r);
}

// Shot 3: a paper screen lit from behind; a ninja's shadow walks in and draws a sword;
// a red lantern sways in front.
void drawShoji(cairo_t* cr, int f, int n) {
  const double x0 = 100, y0 = 60, x1 = 560, y1 = 420;
  cairo_save(cr);
  cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
  cairo_clip(cr);
  setGrey(cr, 0.8);
  cairo_paint(cr);
  setGrey(cr, 1.0);
  cairo_save(cr);
  cairo_translate(cr, 330, 240);
  cairo_scale(cr, 1.3, 1.0);
  disc(cr, 0, 0, 130);
  cairo_restore(cr);
  // The shadow: walks in from the right, stops, raises the sword overhead.
  const double walk = clamp01(f / 30.0);
  const double raise = smooth((f - 30) / 14.0);
  const double phase = f * 0.55;
  const Point hip = {mix(620, 300, walk), 290 + 6 * std::fabs(std::sin(phase)) * (1 - raise)};
  Pose pose{};
  const double swing = 0.55 * (walk < 1 ? 1 : 0);
  pose.lean = 0.08;
  pose.thigh[0] = swing * std::sin(phase);
  pose.knee[0] = 0.25 + 0.4 * std::max(0.0, std::cos(phase));
  pose.thigh[1] = -pose.thigh[0];
  pose.knee[1] = 0.25 + 0.4 * std::max(0.0, -std::cos(phase));
  if (walk >= 1) {
    pose.thigh[0] = 0.35;
    pose.thigh[1] = -0.3;
    pose.knee[0] = 0.3;
    pose.knee[1] = 0.2;
  }
  pose.arm[0] = mix(-swing * std::sin(phase), 2.9, raise);
  pose.elbow[0] = mix(0.3, 0.2, raise);
  pose.arm[1] = mix(swing * std::sin(phase), 2.7, raise);
  pose.elbow[1] = mix(0.3, 0.4, raise);
  pose.sword = pose.arm[0] + 0.3;
  pose.holdsSword = raise > 0.02;
  cairo_set_source_rgb(cr, 0, 0, 0);
  drawNinja(cr, hip, 300, -1, pose, 0, 0);
  // A shadow's blade is a shadow too.
  if (pose.holdsSword) {
    const Point shoulder = {hip.x - std::sin(pose.lean) * 0.27 * 300, hip.y - 0.27 * 300};
    const Point elbow = step(shoulder, pose.arm[0], 0.17 * 300, -1);
    const Point hand = step(elbow, pose.arm[0] + pose.elbow[0], 0.16 * 300, -1);
    segment(cr, hand, step(hand, pose.sword, 0.62 * 300, -1), 0.03 * 300);
  }
  // The lattice.
  cairo_set_source_rgb(cr, 0, 0, 0);
  for (int i = 0; i <= 3; ++i) cairo_rectangle(cr, x0 + i * (x1 - x0) / 3 - 8, y0, 16, y1 - y0);
  for (int j = 0; j <= 2; ++j) cairo_rectangle(cr, x0, y0 + j * (y1 - y0) / 2 - 8, x1 - x0, 16);
  cairo_fill(cr);
  cairo_restore(cr);
  // The lantern, swinging on its cord in front of the screen.
  const double sway = 0.12 * std::sin(f * 2 * pi / n);
  const Point top = {70, -10};
  const Point lamp = {top.x + std::sin(sway) * 230, top.y + std::cos(sway) * 230};
  setGrey(cr, 0.4);
  segment(cr, top, lamp, 4);
  setRed(cr, 1.0);
  cairo_save(cr);
  cairo_translate(cr, lamp.x, lamp.y + 55);
  cairo_rotate(cr, -sway);
  cairo_scale(cr, 0.8, 1.0);
  disc(cr, 0, 0, 60);
  cairo_restore(cr);
  setRed(cr, 0.6);
  cairo_rectangle(cr, lamp.x - 30, lamp.y - 5, 60, 10);
  cairo_rectangle(cr, lamp.x - 30, lamp.y + 108, 60, 10);
  cairo_fill(cr);
}

// The digits as brush-like strokes in a 110 x 170 box with its top-left at (x, y).
void strokeTwo(cairo_t* cr, double x, double y) {
  cairo_new_path(cr);
  cairo_arc(cr, x + 55, y + 50, 45, pi * 1.05, pi * 2.15);
  cairo_line_to(cr, x + 10, y + 160);
  cairo_line_to(cr, x + 105, y + 160);
  cairo_stroke(cr);
}

void strokeZero(cairo_t* cr, double x, double y) {
  cairo_new_path(cr);
  cairo_save(cr);
  cairo_translate(cr, x + 55, y + 85);
  cairo_scale(cr, 0.62, 1.0);
  cairo_arc(cr, 0, 0, 75, 0, 2 * pi);
  cairo_restore(cr);
  cairo_stroke(cr);
}

void strokeYear(cairo_t* cr, double dx, double dy) {
  cairo_save(cr);
  cairo_translate(cr, 320 + dx, 245 + dy);
  cairo_scale(cr, 0.98, 1.3);
  cairo_translate(cr, -320, -235);
  cairo_set_line_width(cr, 38);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
  const double x = 52, y = 150;
  strokeTwo(cr, x, y);
  strokeZero(cr, x + 145, y);
  strokeZero(cr, x + 290, y);
  strokeTwo(cr, x + 435, y);
  cairo_restore(cr);
}

// The cut line: y = cutY(x), falling gently to the right.
double cutY(double x) { return 250 + (x - 320) * 0.2; }

void clipSide(cairo_t* cr, bool above) {
  cairo_new_path(cr);
  cairo_move_to(cr, -100, cutY(-100));
  cairo_line_to(cr, 740, cutY(740));
  cairo_line_to(cr, 740, above ? -100 : 600);
  cairo_line_to(cr, -100, above ? -100 : 600);
  cairo_close_path(cr);
  cairo_clip(cr);
}

// Shot 4: "2002"; a blade slashes through it with a flash, and the halves slide apart.
void drawYear(cairo_t* cr, int f, int) {
  const int cutFrame = 14;
  const bool flash = f == cutFrame || f == cutFrame + 1;
  if (flash) {
    setGrey(cr, f == cutFrame ? 1.0 : 0.6);
    cairo_paint(cr);
  }
  const double d = 24 * smooth((f - cutFrame) / 30.0);
  for (int side = 0; side < 2; ++side) {
    cairo_save(cr);
    clipSide(cr, side == 0);
    if (flash)
      cairo_set_source_rgb(cr, 0, 0, 0);
    else
      setGrey(cr, side == 0 ? 1.0 : 0.8);
    const double sign = side == 0 ? -1 : 1;
    strokeYear(cr, sign * d, sign * d * 0.2 + (side == 0 ? -d * 0.25 : 0));
    cairo_restore(cr);
  }
  // The blade crosses along the cut line in the frames before the cut.
  if (f <= cutFrame) {
    const double tipX = mix(-60, 900, double(f) / cutFrame);
    const double dir = std::atan(0.2);
    const Point tip = {tipX, cutY(tipX)};
    const Point hilt = {tip.x - 520 * std::cos(dir), tip.y - 520 * std::sin(dir)};
    setGrey(cr, 1.0);
    triangle(cr, tip, {hilt.x, hilt.y - 9}, {hilt.x, hilt.y + 4});
    setGrey(cr, 0.6);
    triangle(cr, tip, {hilt.x, hilt.y + 4}, {hilt.x, hilt.y + 9});
    setRed(cr, 1.0);
    segment(cr, {hilt.x, hilt.y - 22}, {hilt.x + 4, hilt.y + 22}, 10);
  }
  // The wound of the cut glows red, then cools.
  if (f > cutFrame + 1) {
    const double heat = 1 - (f - cutFrame - 2) / 20.0;
    if (heat > 0) {
      setRed(cr, heat > 0.5 ? 1.0 : 0.6);
      const double half = 330 * heat;
      cairo_new_path(cr);
      cairo_move_to(cr, 320 - half, cutY(320 - half));
      cairo_line_to(cr, 320 + half, cutY(320 + half));
      cairo_set_line_width(cr, 6);
      cairo_stroke(cr);
    }
  }
}

}  // namespace

void drawSceneFrame(cairo_t* cr, int frame) {
  static void (*const drawShot[shotCount])(cairo_t*, int, int) = {drawMoon, drawShuriken, drawShoji,
                                                                  drawYear};
  cairo_save(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_paint(cr);
  for (int s = 0; s < shotCount; ++s) {
    const int f = frame - shots[s].first;
    if (f >= 0 && f < shots[s].length) drawShot[s](cr, f, shots[s].length);
  }
  cairo_restore(cr);
}
