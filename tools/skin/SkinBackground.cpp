// The background (everything that does not move: panels, labels, scales, the marks under the
// invisible buttons) and the about page.

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "tools/skin/Skin.h"

namespace skin
{
namespace
{
constexpr int kColumn = 95;
constexpr float kBandCX = 84.5f; // band 1's knobs' centre; band n adds 95 (n - 1)

// Deterministic per-pixel noise in -0.5..0.5.
float Noise(int x, int y)
{
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0f - 0.5f;
}

// A fine horizontal grain over an area, like brushed metal under paint: per device pixel, so it
// stays fine at every scale, with streaks of three logical pixels.
void Grain(Canvas& c, int l, int t, int r, int b, float amount)
{
  const float s = c.Scale();
  const int dl = static_cast<int>(std::lround(l * s)), dr = static_cast<int>(std::lround(r * s));
  const int dt = static_cast<int>(std::lround(t * s)), db = static_cast<int>(std::lround(b * s));
  const int streak = static_cast<int>(std::lround(3 * s));
  for (int y = dt; y < db; ++y)
  {
    const float row = Noise(7, y) * 0.6f;
    for (int x = dl; x < dr; ++x)
      c.Shade(x, y, 1.0f + amount * (row + Noise(x / streak, y) * 0.8f + Noise(x, y) * 0.5f));
  }
}

// A raised panel: rounded, lit from above, with a dark outline.
void Panel(Canvas& c, float l, float t, float r, float b)
{
  c.FillRoundRect(l - 1, t, r + 1, b + 2, 7, Color{0, 0, 0, 0.35f});
  c.FillRoundRectV(l, t, r, b, 6, kPanelTop, kPanelBottom);
  c.StrokeRoundRect(l, t, r, b, 6, 1.0f, kEdgeDark);
  c.Line(l + 6, t + 1.5f, r - 6, t + 1.5f, 1.0f, Color{1, 1, 1, 0.07f});
}

// A recessed window (display, meter well).
void Well(Canvas& c, float l, float t, float r, float b, float radius)
{
  c.FillRoundRect(l, t + 1, r, b + 1, radius, Color{1, 1, 1, 0.06f});
  c.FillRoundRectV(l, t, r, b, radius, Hex(0x090a0c), Hex(0x111316));
  c.StrokeRoundRect(l, t, r, b, radius, 1.0f, Hex(0x050606));
}

// Marks around a knob's arc at the given positions (0..1); long ones are emphasised.
void KnobTicks(Canvas& c, float cx, float cy, float r0, float r1, float position, float width,
               const Color& color)
{
  const float a = KnobAngle(position);
  const float s = std::sin(a), k = -std::cos(a);
  c.Line(cx + s * r0, cy + k * r0, cx + s * r1, cy + k * r1, width, color);
}

void BandColumn(Canvas& c, int band)
{
  const float cx = kBandCX + kColumn * band;
  char number[4];
  std::snprintf(number, sizeof number, "%d", band + 1);
  c.FillCircle(cx, 58, 8.5f, Hex(0x15171a));
  c.StrokeCircle(cx, 58, 8.5f, 1.2f, WithAlpha(kAccent, 0.85f));
  c.TextCapCentered(number, cx, 58, Font{"DejaVu Sans", 10, true, 0}, kInk, kCenter);

  // Gain: a mark every 6 dB, the centre (0 dB) longest.
  const float gy = 73 + kSmallKnobCY;
  for (int i = 0; i <= 6; ++i)
    KnobTicks(c, cx, gy, kSmallKnobArc + 3.0f, kSmallKnobArc + (i == 3 ? 6.0f : 4.5f), i / 6.0f,
              1.0f, i == 3 ? kLabel : kDim);
  c.TextCapCentered("GAIN", cx, 121, LabelFont(8, 1.2f), kLabel, kCenter);

  // Frequency: a dot at 20, 50, 100 ... 20k on the knob's own curve, larger at the decades.
  const float fy = 173 + kBigKnobCY;
  const double marks[] = {20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000};
  for (double hz : marks)
  {
    const float a = KnobAngle(FrequencyPosition(hz));
    const bool decade = hz == 100 || hz == 1000 || hz == 10000;
    const float r = kBigKnobArc + 4.5f;
    c.FillCircle(cx + r * std::sin(a), fy - r * std::cos(a), decade ? 1.3f : 0.9f,
                 decade ? kLabel : kDim);
  }
  c.TextCapCentered("20", cx - 25, 243, LabelFont(7, 0.3f), kDim, kCenter);
  c.TextCapCentered("20k", cx + 26, 243, LabelFont(7, 0.3f), kDim, kCenter);
  c.TextCapCentered("FREQ", cx, 243, LabelFont(8, 1.2f), kLabel, kCenter);

  // Slots the two keys sit in.
  const float l = 42 + kColumn * band;
  for (float y : {283.0f, 323.0f})
    Well(c, l + 1, y + 2, l + kKeyW - 1, y + kKeyH - 1, 5);
}

void MeterScale(Canvas& c)
{
  const float top = 73, bottom = 241, h = bottom - top;
  struct Mark
  {
    int dB;
    const char* text;
  };
  // The labels carry a typographic minus (U+2212).
  const Mark marks[] = {{0, "0"},
                        {-3, nullptr},
                        {-6, "\xe2\x88\x92"
                             "6"},
                        {-10, nullptr},
                        {-20, "\xe2\x88\x92"
                              "20"},
                        {-30, nullptr},
                        {-40, "\xe2\x88\x92"
                              "40"},
                        {-50, nullptr},
                        {-60, "\xe2\x88\x92"
                              "60"}};
  for (const Mark& m : marks)
  {
    // The meter lights rows below trunc(B - H p): the mark sits on that boundary.
    const float y = std::trunc(bottom - h * MeterPosition(m.dB)) + 0.5f;
    const float len = m.text ? 5.0f : 3.0f;
    const Color col = m.text ? kLabel : kDim;
    for (float x0 : {895.0f, 939.0f - len})
      c.Line(x0, y, x0 + len, y, 1.0f, col);
    for (float x0 : {840.0f - len, 994.0f})
      c.Line(x0, y, x0 + len, y, 1.0f, col);
    if (m.text) c.TextCapCentered(m.text, 917, y, LabelFont(8, 0.2f), kLabel, kCenter);
  }
  c.TextCapCentered("dB", 917, 253, LabelFont(7, 0.5f), kDim, kCenter);
}

void RightPanel(Canvas& c)
{
  Panel(c, 808, 46, 1022, 364);
  // Peak-hold readouts over the meters.
  const float captions[4][2] = {{826, 866}, {872, 912}, {922, 962}, {968, 1007}};
  for (const auto& x : captions)
    Well(c, x[0], 56, x[1], 74, 3);
  for (float l : {845.0f, 941.0f})
    Well(c, l, 70, l + 48, 244, 3);
  MeterScale(c);
  for (float x : {858.0f, 954.0f})
    c.TextCapCentered("L", x, 251, LabelFont(7, 0), kDim, kCenter);
  for (float x : {880.0f, 976.0f})
    c.TextCapCentered("R", x, 251, LabelFont(7, 0), kDim, kCenter);
  c.TextCapCentered("INPUT", 869.5f, 266, LabelFont(9, 1.5f), kInk, kCenter);
  c.TextCapCentered("OUTPUT", 965.5f, 266, LabelFont(9, 1.5f), kInk, kCenter);
  for (float cx : {869.5f, 965.5f})
  {
    const float cy = 278 + kSmallKnobCY;
    // A mark every 12 dB from -72 to 0, and +6.
    for (int dB = -72; dB <= 6; dB += (dB == 0 ? 6 : 12))
      KnobTicks(c, cx, cy, kSmallKnobArc + 3.0f, kSmallKnobArc + (dB == 0 ? 6.0f : 4.5f),
                InOutGainPosition(dB), 1.0f, dB == 0 ? kLabel : kDim);
    c.TextCapCentered("GAIN", cx, 326, LabelFont(8, 1.2f), kLabel, kCenter);
  }
}

void TopBar(Canvas& c)
{
  c.FillRectV(0, 0, kEditorW, 40, kBarTop, kBarBottom);
  Grain(c, 0, 0, kEditorW, 40, 0.05f);
  c.FillRect(0, 40, kEditorW, 41, kEdgeDark);
  c.FillRect(0, 41, kEditorW, 42, Color{1, 1, 1, 0.05f});

  const Font logo{"DejaVu Sans", 21, true, 5.0f};
  c.TextCapCentered("TARVO", 22, 19, logo, kInk, kLeft);
  const float after = 22 + Canvas::TextWidth("TARVO", logo) + 14;
  c.FillRect(after, 11, after + 1, 27, kEdgeLight);
  c.TextCapCentered("PARAMETRIC EQUALISER", after + 14, 19, LabelFont(8, 1.6f), kLabel, kLeft);

  // File menu button (355, 6, 380, 30): a folder.
  c.FillRoundRectV(355.5f, 6.5f, 379.5f, 29.5f, 3.5f, Hex(0x373b42), Hex(0x272a2f));
  c.StrokeRoundRect(355.5f, 6.5f, 379.5f, 29.5f, 3.5f, 1.0f, Hex(0x0f1113));
  c.FillRoundRect(360.5f, 12, 367, 16, 1.2f, kLabel);
  c.FillRoundRect(360.5f, 14, 374.5f, 24.5f, 1.5f, kLabel);
  c.FillRect(361.5f, 15.5f, 373.5f, 16.3f, Hex(0x2c3035));

  // The preset display: the name is drawn over the left part, the arrow marks the list.
  Well(c, 428, 5, 622, 31, 4);
  const float xs[3] = {601, 611, 606}, ys[3] = {15.5f, 15.5f, 21};
  c.Polygon(xs, ys, 3, kLabel);
  c.FillRect(592, 9, 593, 27, Hex(0x24282d));

  // Help (793, 9, 816, 30) and about (820, 9, 845, 28).
  c.StrokeCircle(804.5f, 19.5f, 9.0f, 1.3f, kLabel);
  c.TextCapCentered("?", 804.5f, 19.5f, Font{"DejaVu Sans", 11, true, 0}, kInk, kCenter);
  c.StrokeCircle(832.5f, 18.5f, 8.5f, 1.3f, kLabel);
  c.TextCapCentered("i", 832.5f, 18.5f, Font{"DejaVu Serif", 11, true, 0}, kInk, kCenter);

  c.TextCapCentered("VELKOR AUDIO", 1010, 19, LabelFont(9, 2.4f), kLabel, kRight);
}

void BottomStrip(Canvas& c)
{
  const Font label = LabelFont(9, 1.5f);
  const float toggles[4] = {98, 240, 342, 696};
  const char* names[4] = {"BYPASS", "LEFT", "RIGHT", "PHASE"};
  for (int i = 0; i < 4; ++i)
  {
    Well(c, toggles[i] - 1, 385, toggles[i] + kToggleW + 1, 385 + kToggleH + 1, 11);
    c.TextCapCentered(names[i], toggles[i] + kToggleW * 0.5f, 421, label, kLabel, kCenter);
  }
  // LEFT and RIGHT bypass one channel each: a bracket says so.
  const Font small = LabelFont(7, 1.2f);
  const char* group = "CHANNEL BYPASS";
  const float mid = (240 + 342 + kToggleW) * 0.5f;
  const float half = Canvas::TextWidth(group, small) * 0.5f + 6;
  c.TextCapCentered(group, mid, 376, small, kDim, kCenter);
  const float l = 240, r = 342 + kToggleW;
  c.Line(l, 376.5f, mid - half, 376.5f, 1.0f, kDim);
  c.Line(mid + half, 376.5f, r, 376.5f, 1.0f, kDim);
  c.Line(l, 376.5f, l, 380.5f, 1.0f, kDim);
  c.Line(r, 376.5f, r, 380.5f, 1.0f, kDim);

  c.TextCapCentered("8 BANDS  \xc2\xb7  \xc2\xb1"
                    "18 dB  \xc2\xb7  20 Hz \xe2\x80\x93 20 kHz",
                    546, 397, LabelFont(8, 1.2f), kDim, kCenter);

  // Mix fader: the track starts 52 pixels right of the value text; the handle's centre runs
  // from 11 pixels in to 11 pixels before the end.
  c.TextCapCentered("MIX", 768, 376, label, kInk, kLeft);
  const float x0 = 820 + kHandleW * 0.5f, x1 = 1006 - kHandleW * 0.5f, y = 399;
  Well(c, x0 - 5, y - 3, x1 + 5, y + 3, 3);
  for (int i = 0; i <= 10; ++i)
  {
    const float x = std::floor(x0 + (x1 - x0) * i / 10.0f) + 0.5f;
    const float len = (i % 5 == 0) ? 4.0f : 2.5f;
    const Color col = (i % 5 == 0) ? kLabel : kDim;
    c.Line(x, 388 - len, x, 388, 1.0f, col);
    c.Line(x, 410, x, 410 + len, 1.0f, col);
  }
  c.TextCapCentered("DRY", x0, 424, small, kLabel, kCenter);
  c.TextCapCentered("WET", x1, 424, small, kLabel, kCenter);
}
} // namespace

void DrawBackground(Canvas& c)
{
  c.FillRectV(0, 0, kEditorW, kEditorH, kBgTop, kBgBottom);
  Grain(c, 0, 42, kEditorW, kEditorH, 0.06f);
  TopBar(c);

  Panel(c, 34, 46, 800, 364);
  for (int k = 0; k < 7; ++k)
  {
    const float x = 42 + kColumn * k + kKeyW + 5.5f;
    c.Line(x, 54, x, 356, 1.0f, Hex(0x15171a));
    c.Line(x + 1, 54, x + 1, 356, 1.0f, Color{1, 1, 1, 0.05f});
  }
  for (int k = 0; k < 8; ++k)
    BandColumn(c, k);

  // The product's line, read upwards along the left edge.
  const Font side = LabelFont(8, 2.2f);
  const char* line = "EIGHT-BAND PARAMETRIC EQ";
  Canvas turned(Canvas::TextWidth(line, side) + 4, 14, c.Scale());
  turned.TextCapCentered(line, 2, 7, side, kDim, kLeft);
  c.DrawTurnedLeft(turned, 10, 205 + turned.Width() / 2);

  RightPanel(c);
  BottomStrip(c);
}

void DrawAbout(Canvas& c)
{
  c.FillRect(0, 0, kEditorW, kEditorH, Color{0.03f, 0.035f, 0.04f, 0.86f});
  const float l = 295, t = 78, r = 735, b = 358;
  c.FillRoundRect(l - 2, t + 2, r + 2, b + 6, 12, Color{0, 0, 0, 0.6f});
  c.FillRoundRectV(l, t, r, b, 10, Hex(0x2b2f35), Hex(0x1c1e22));
  c.StrokeRoundRect(l, t, r, b, 10, 1.0f, kEdgeLight);
  const float cx = (l + r) * 0.5f;
  c.TextCapCentered("TARVO", cx + 4, 132, Font{"DejaVu Sans", 40, true, 10.0f}, kInk, kCenter);
  c.FillRect(cx - 40, 160, cx + 40, 162, kAccent);
  c.TextCapCentered("EIGHT-BAND PARAMETRIC EQUALISER", cx, 184, LabelFont(10, 2.0f), kLabel,
                    kCenter);
  c.TextCapCentered("Version 2.0.0", cx, 216, Font{"DejaVu Sans", 13, false, 0}, kInk, kCenter);
  c.TextCapCentered("VST 3 plug-in for Linux", cx, 238, Font{"DejaVu Sans", 11, false, 0}, kLabel,
                    kCenter);
  c.TextCapCentered("Velkor Audio", cx, 276, Font{"DejaVu Sans", 15, true, 0.5f}, kInk, kCenter);
  c.TextCapCentered("velkor-audio.example", cx, 298, Font{"DejaVu Sans", 11, false, 0}, kAccent,
                    kCenter);
  c.TextCapCentered("VST is a registered trademark of Steinberg Media Technologies GmbH.", cx, 330,
                    Font{"DejaVu Sans", 8, false, 0}, kDim, kCenter);
  c.TextCapCentered("CLICK ANYWHERE TO CLOSE", cx, 384, LabelFont(8, 2.0f), kLabel, kCenter);
}
} // namespace skin
