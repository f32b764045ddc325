// tarvo-skin OUTDIR: draws the editor's 13 images into OUTDIR as PNG files, each at 1x (NAME.png),
// 2x (NAME@2x.png) and 3x (NAME@3x.png): the same drawing at a finer device grid, same frames.

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tools/skin/Skin.h"

using namespace skin;

namespace
{
// Draws n frames of w x h, frame i by draw(canvas, i), and writes them as one strip.
bool StripAt(const std::string& path, int w, int h, int n, float scale,
             const std::function<void(Canvas&, int)>& draw)
{
  std::vector<std::unique_ptr<Canvas>> frames;
  std::vector<const Canvas*> views;
  for (int i = 0; i < n; ++i)
  {
    frames.push_back(std::make_unique<Canvas>(w, h, scale));
    draw(*frames.back(), i);
    views.push_back(frames.back().get());
  }
  const bool ok = WriteStrip(views, path);
  if (!ok) std::fprintf(stderr, "tarvo-skin: cannot write %s\n", path.c_str());
  return ok;
}

// Every image at 1x, 2x and 3x.
bool Strip(const std::string& dir, const char* name, int w, int h, int n,
           const std::function<void(Canvas&, int)>& draw)
{
  bool ok = true;
  for (int scale = 1; scale <= 3; ++scale)
  {
    std::string path = dir + name;
    if (scale > 1) path.insert(path.size() - 4, "@" + std::to_string(scale) + "x");
    ok &= StripAt(path, w, h, n, static_cast<float>(scale), draw);
  }
  return ok;
}

constexpr int kKnobFrames = 201;

float FrameValue(int i)
{
  return i / float(kKnobFrames - 1);
}
} // namespace

int main(int argc, char** argv)
{
  if (argc != 2)
  {
    std::fprintf(stderr, "usage: tarvo-skin OUTDIR\n");
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";
  bool ok = true;
  ok &= Strip(dir, "bg.png", kEditorW, kEditorH, 1, [](Canvas& c, int) { DrawBackground(c); });
  ok &= Strip(dir, "about.png", kEditorW, kEditorH, 1, [](Canvas& c, int) { DrawAbout(c); });
  ok &= Strip(dir, "knob_s_w.png", kSmallKnobW, kSmallKnobH, kKnobFrames,
              [](Canvas& c, int i) { DrawSmallKnob(c, FrameValue(i), false); });
  ok &= Strip(dir, "knob_s_wb.png", kSmallKnobW, kSmallKnobH, kKnobFrames,
              [](Canvas& c, int i) { DrawSmallKnob(c, FrameValue(i), true); });
  ok &= Strip(dir, "knob_b_b.png", kBigKnobW, kBigKnobH, kKnobFrames,
              [](Canvas& c, int i) { DrawBigKnob(c, FrameValue(i)); });
  ok &= Strip(dir, "sw.png", kKeyW, kKeyH, 2,
              [](Canvas& c, int i) { DrawKey(c, "WIDE", kAccent, i == 1); });
  ok &= Strip(dir, "swg.png", kKeyW, kKeyH, 2,
              [](Canvas& c, int i) { DrawKey(c, "BYPASS", kWarm, i == 1); });
  ok &= Strip(dir, "switch.png", kToggleW, kToggleH, 2,
              [](Canvas& c, int i) { DrawToggle(c, i == 1); });
  ok &= Strip(dir, "slider.png", kHandleW, kHandleH, 1, [](Canvas& c, int) { DrawFaderHandle(c); });
  ok &= Strip(dir, "arrow_pt_left.png", kArrowW, kArrowH, 2,
              [](Canvas& c, int i) { DrawArrow(c, true, i == 1); });
  ok &= Strip(dir, "arrow_pt_right.png", kArrowW, kArrowH, 2,
              [](Canvas& c, int i) { DrawArrow(c, false, i == 1); });
  ok &= Strip(dir, "pm_save.png", kPresetButtonW, kPresetButtonH, 2,
              [](Canvas& c, int i) { DrawSaveButton(c, i == 1); });
  ok &= Strip(dir, "pm_undo.png", kPresetButtonW, kPresetButtonH, 2,
              [](Canvas& c, int i) { DrawUndoButton(c, i == 1); });
  return ok ? 0 : 1;
}
