#pragma once
// The editor's look: one palette and the drawing of each image. Positions are the editor's
// (TarvoEditor.cpp); the images must fit the controls placed there.

#include "tools/skin/Canvas.h"

namespace skin
{
// A dark charcoal panel with one cool accent for values and one warm one for bypasses.
inline const Color kBgTop = Hex(0x2a2d33);
inline const Color kBgBottom = Hex(0x1d1f23);
inline const Color kBarTop = Hex(0x1b1d21);
inline const Color kBarBottom = Hex(0x141619);
inline const Color kPanelTop = Hex(0x24272c);
inline const Color kPanelBottom = Hex(0x1e2125);
inline const Color kEdgeDark = Hex(0x0b0c0e);
inline const Color kEdgeLight = Hex(0x3b4047);
inline const Color kRecess = Hex(0x0d0f11);
inline const Color kInk = Hex(0xeaeef2);
inline const Color kLabel = Hex(0xa1aab4);
inline const Color kDim = Hex(0x6b737d);
inline const Color kAccent = Hex(0x38cadc);
inline const Color kWarm = Hex(0xffa62b);
inline const Color kShadow = Color{0, 0, 0, 0.55f};

// Small bold capitals, spaced out: every label on the panel.
inline Font LabelFont(int size = 9, float tracking = 1.3f)
{
  return Font{"DejaVu Sans", size, true, tracking};
}

// Knob geometry shared by the images (which draw the knob) and the background (which draws the
// scale around it).
constexpr float kSmallKnobCX = 24.5f, kSmallKnobCY = 23.0f, kSmallKnobArc = 19.5f;
constexpr float kBigKnobCX = 35.5f, kBigKnobCY = 35.0f, kBigKnobArc = 29.0f;
constexpr float kMinAngle = -2.35619449f; // -135 degrees, 0 pointing up, clockwise
constexpr float kMaxAngle = 2.35619449f;

inline float KnobAngle(float value)
{
  return kMinAngle + (kMaxAngle - kMinAngle) * value;
}

// Where a parameter's plain value sits on its knob (0..1), from the product's own parameters.
float FrequencyPosition(double hz);
float InOutGainPosition(double dB);
// The meter's lit fraction for a level in dB, from the meter's own scale.
float MeterPosition(double dB);

void DrawSmallKnob(Canvas& c, float value, bool silver);
void DrawBigKnob(Canvas& c, float value);
void DrawKey(Canvas& c, const char* label, const Color& led, bool on);
void DrawToggle(Canvas& c, bool on);
void DrawArrow(Canvas& c, bool left, bool pressed);
void DrawSaveButton(Canvas& c, bool pressed);
void DrawUndoButton(Canvas& c, bool pressed);
void DrawFaderHandle(Canvas& c);
void DrawBackground(Canvas& c);
void DrawAbout(Canvas& c);

// Frame sizes of the images.
constexpr int kSmallKnobW = 49, kSmallKnobH = 55;
constexpr int kBigKnobW = 71, kBigKnobH = 78;
constexpr int kKeyW = 85, kKeyH = 30;
constexpr int kToggleW = 44, kToggleH = 22;
constexpr int kArrowW = 14, kArrowH = 17;
constexpr int kPresetButtonW = 24, kPresetButtonH = 18;
constexpr int kHandleW = 22, kHandleH = 40;
constexpr int kEditorW = 1030, kEditorH = 436;
} // namespace skin
