// The film strips and buttons: knobs, keys, toggles, the preset browser's buttons and the mix
// fader's handle.

#include <cmath>

#include "controls/peakMeter.h"
#include "product/Tarvo.h"
#include "tools/skin/Skin.h"

namespace skin
{
namespace
{
const Tarvo& Product()
{
  static const Tarvo plug;
  return plug;
}

// A soft drop shadow under a round body.
void BodyShadow(Canvas& c, float cx, float cy, float r)
{
  c.FillCircle(cx, cy + 1.5f, r + 1.0f, kShadow, 3.0f);
}
} // namespace

float FrequencyPosition(double hz)
{
  return static_cast<float>(Product().GetParam(kFrequency1)->GetNormalized(hz));
}

float InOutGainPosition(double dB)
{
  return static_cast<float>(Product().GetParam(kInputGain)->GetNormalized(dB));
}

float MeterPosition(double dB)
{
  return static_cast<float>(IPeakMeterVert::BarPosition(std::pow(10.0, dB / 20.0)));
}

void DrawSmallKnob(Canvas& c, float value, bool silver)
{
  const float cx = kSmallKnobCX, cy = kSmallKnobCY, arc = kSmallKnobArc;
  const float angle = KnobAngle(value);
  c.Arc(cx, cy, arc, kMinAngle, kMaxAngle, 3.4f, kRecess);
  // Gains are bipolar: the arc grows from the 0 dB position.
  const float zero = KnobAngle(silver ? InOutGainPosition(0.0) : 0.5f);
  const Color arcColor = silver ? Hex(0xe6eaee) : kAccent;
  if (std::fabs(angle - zero) > 0.01f)
  {
    c.Arc(cx, cy, arc, zero, angle, 6.0f, WithAlpha(arcColor, 0.18f));
    c.Arc(cx, cy, arc, zero, angle, 2.4f, arcColor);
  }
  else
    c.FillCircle(cx + arc * std::sin(zero), cy - arc * std::cos(zero), 1.3f, arcColor);

  BodyShadow(c, cx, cy, 14.5f);
  const Color top = silver ? Hex(0xdfe3e8) : Hex(0x555b64);
  const Color bottom = silver ? Hex(0x858c95) : Hex(0x212429);
  c.Fill(
      cx - 15, cy - 15, cx + 15, cy + 15,
      [=](float x, float y) { return SdCircle(x, y, cx, cy, 14.5f); },
      [=](float, float y) { return Mix(top, bottom, Clamp01((y - cy + 14.5f) / 29.0f)); });
  const Color faceTop = silver ? Hex(0xb9bfc6) : Hex(0x2b2f35);
  const Color faceBottom = silver ? Hex(0xe7eaed) : Hex(0x3d424a);
  c.Fill(
      cx - 12, cy - 12, cx + 12, cy + 12,
      [=](float x, float y) { return SdCircle(x, y, cx, cy, 11.5f); },
      [=](float, float y) { return Mix(faceTop, faceBottom, Clamp01((y - cy + 11.5f) / 23.0f)); });
  const float s = std::sin(angle), k = -std::cos(angle);
  c.Line(cx + s * 4.0f, cy + k * 4.0f, cx + s * 11.8f, cy + k * 11.8f, 2.3f,
         silver ? Hex(0x1c1f23) : Hex(0xf6f8fa));
}

void DrawBigKnob(Canvas& c, float value)
{
  const float cx = kBigKnobCX, cy = kBigKnobCY, arc = kBigKnobArc;
  const float angle = KnobAngle(value);
  c.Arc(cx, cy, arc, kMinAngle, kMaxAngle, 4.0f, kRecess);
  if (value > 0.002f)
  {
    c.Arc(cx, cy, arc, kMinAngle, angle, 7.0f, WithAlpha(kAccent, 0.18f));
    c.Arc(cx, cy, arc, kMinAngle, angle, 2.8f, kAccent);
  }
  else
    c.FillCircle(cx + arc * std::sin(kMinAngle), cy - arc * std::cos(kMinAngle), 1.5f, kAccent);

  BodyShadow(c, cx, cy, 22.5f);
  const Color top = Hex(0x575d66), bottom = Hex(0x1d2024);
  // The grip turns with the knob, so the knurling moves from frame to frame.
  c.Fill(
      cx - 23, cy - 23, cx + 23, cy + 23,
      [=](float x, float y) { return SdCircle(x, y, cx, cy, 22.5f); },
      [=](float x, float y)
      {
        Color col = Mix(top, bottom, Clamp01((y - cy + 22.5f) / 45.0f));
        const float r = std::hypot(x - cx, y - cy);
        if (r > 18.5f)
        {
          const float t = std::atan2(x - cx, cy - y) - angle;
          col = Lighten(col, 0.07f * std::sin(40.0f * t));
        }
        return col;
      });
  c.StrokeCircle(cx, cy, 18.6f, 1.0f, Color{0, 0, 0, 0.45f});
  c.Fill(
      cx - 19, cy - 19, cx + 19, cy + 19,
      [=](float x, float y) { return SdCircle(x, y, cx, cy, 18.0f); },
      [=](float, float y)
      { return Mix(Hex(0x2a2e34), Hex(0x40454d), Clamp01((y - cy + 18.0f) / 36.0f)); });
  const float s = std::sin(angle), k = -std::cos(angle);
  c.Line(cx + s * 7.0f, cy + k * 7.0f, cx + s * 17.0f, cy + k * 17.0f, 2.7f, Hex(0xf6f8fa));
}

void DrawKey(Canvas& c, const char* label, const Color& led, bool on)
{
  const float dy = on ? 1.0f : 0.0f;
  c.FillRoundRect(2, 4, 83, 28, 4, kShadow);
  c.FillRoundRectV(2, 3 + dy, 83, 27 + dy, 4, on ? Hex(0x33373e) : Hex(0x40454d),
                   on ? Hex(0x25282d) : Hex(0x2a2e34));
  c.StrokeRoundRect(2, 3 + dy, 83, 27 + dy, 4, 1.0f, Hex(0x121417));
  c.Line(6, 4.5f + dy, 79, 4.5f + dy, 1.0f, Color{1, 1, 1, on ? 0.05f : 0.10f});
  const float ly = 15 + dy;
  if (on)
  {
    c.FillCircle(14, ly, 7.0f, WithAlpha(led, 0.35f), 5.0f);
    c.FillCircle(14, ly, 3.2f, led);
    c.FillCircle(13.2f, ly - 0.9f, 1.1f, Color{1, 1, 1, 0.7f});
  }
  else
  {
    c.FillCircle(14, ly, 3.4f, Hex(0x15171a));
    c.FillCircle(14, ly, 2.4f, WithAlpha(led, 0.16f));
  }
  c.TextCapCentered(label, 49, ly, LabelFont(9, 1.2f), on ? kInk : kLabel, kCenter);
}

void DrawToggle(Canvas& c, bool on)
{
  c.FillRoundRect(1, 2, 43, 21, 9.5f, Color{1, 1, 1, 0.06f});
  c.FillRoundRect(1, 1, 43, 20, 9.5f, kEdgeDark);
  if (on)
  {
    c.FillRoundRect(2, 2, 42, 19, 8.5f, WithAlpha(kWarm, 0.85f));
    c.FillRoundRectV(2, 2, 42, 10, 8.5f, Color{1, 1, 1, 0.15f}, Color{1, 1, 1, 0.0f});
  }
  else
    c.FillRoundRectV(2, 2, 42, 19, 8.5f, Hex(0x101215), Hex(0x1b1e22));
  const float tx = on ? 33.0f : 11.0f;
  BodyShadow(c, tx, 10.5f, 7.0f);
  c.Fill(
      tx - 8, 2, tx + 8, 19, [=](float x, float y) { return SdCircle(x, y, tx, 10.5f, 7.5f); },
      [=](float, float y) { return Mix(Hex(0xe9ecef), Hex(0x8f969f), Clamp01((y - 3) / 15.0f)); });
}

void DrawArrow(Canvas& c, bool left, bool pressed)
{
  c.FillRoundRectV(0.5f, 0.5f, 13.5f, 16.5f, 3, pressed ? Hex(0x30353b) : Hex(0x3a3f46),
                   pressed ? Hex(0x25292e) : Hex(0x2a2e34));
  c.StrokeRoundRect(0.5f, 0.5f, 13.5f, 16.5f, 3, 1.0f, Hex(0x101214));
  const float lx[3] = {4.0f, 9.5f, 9.5f}, ly[3] = {8.5f, 4.5f, 12.5f};
  const float rx[3] = {10.0f, 4.5f, 4.5f}, ry[3] = {8.5f, 4.5f, 12.5f};
  c.Polygon(left ? lx : rx, left ? ly : ry, 3, pressed ? kAccent : kLabel);
}

namespace
{
void PresetButtonBody(Canvas& c, bool pressed)
{
  c.FillRoundRectV(0.5f, 0.5f, 23.5f, 17.5f, 3, pressed ? Hex(0x30353b) : Hex(0x3a3f46),
                   pressed ? Hex(0x25292e) : Hex(0x2a2e34));
  c.StrokeRoundRect(0.5f, 0.5f, 23.5f, 17.5f, 3, 1.0f, Hex(0x101214));
}
} // namespace

void DrawSaveButton(Canvas& c, bool pressed)
{
  PresetButtonBody(c, pressed);
  const Color ink = pressed ? kAccent : kLabel;
  // An arrow down into a tray.
  c.Line(12, 3.5f, 12, 10.5f, 1.6f, ink);
  const float xs[3] = {8.0f, 16.0f, 12.0f}, ys[3] = {8.5f, 8.5f, 12.5f};
  c.Polygon(xs, ys, 3, ink);
  c.Line(6.5f, 11.5f, 6.5f, 14.2f, 1.4f, ink);
  c.Line(6.5f, 14.2f, 17.5f, 14.2f, 1.4f, ink);
  c.Line(17.5f, 11.5f, 17.5f, 14.2f, 1.4f, ink);
}

void DrawUndoButton(Canvas& c, bool pressed)
{
  PresetButtonBody(c, pressed);
  const Color ink = pressed ? kAccent : kLabel;
  // A turning arrow back to the left.
  c.Arc(12.5f, 9.5f, 4.6f, -1.0f, 3.4f, 1.6f, ink);
  const float xs[3] = {4.2f, 11.0f, 8.6f}, ys[3] = {6.0f, 2.6f, 8.8f};
  c.Polygon(xs, ys, 3, ink);
}

void DrawFaderHandle(Canvas& c)
{
  c.FillRoundRect(2, 2.5f, 20, 40, 3, kShadow);
  c.FillRoundRectV(2, 1, 20, 38.5f, 3, Hex(0xe3e6ea), Hex(0x8a919a));
  c.StrokeRoundRect(2, 1, 20, 38.5f, 3, 1.0f, Hex(0x15171a));
  for (float x : {6.5f, 15.5f})
  {
    c.Line(x, 6, x, 33.5f, 1.0f, Color{0, 0, 0, 0.35f});
    c.Line(x + 1, 6, x + 1, 33.5f, 1.0f, Color{1, 1, 1, 0.35f});
  }
  c.Line(11, 4, 11, 35.5f, 2.0f, Hex(0x1a1d21));
}
} // namespace skin
