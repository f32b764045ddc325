// MIDI through the real module entry: note-ons and note-offs reach ProcessMidiMsg at their
// sample offsets, also when a block longer than announced is processed in pieces.
#include <gtest/gtest.h>

#include <vector>

#include "tools/vst3host/hosting/PluginInstance.h"
#include "tools/vst3host/hosting/PluginModule.h"

using namespace tarvo::vst3host;
using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
Event Note(bool on, int16 pitch, int32 offset, float velocity = 0.0f)
{
  Event e{};
  e.sampleOffset = offset;
  e.type = on ? Event::kNoteOnEvent : Event::kNoteOffEvent;
  if (on)
  {
    e.noteOn.pitch = pitch;
    e.noteOn.velocity = velocity;
  }
  else
    e.noteOff.pitch = pitch;
  return e;
}

// The samples that are not 0, as (offset, value) pairs.
std::vector<std::pair<int, float>> Marks(const std::vector<float>& out)
{
  std::vector<std::pair<int, float>> marks;
  for (size_t i = 0; i < out.size(); ++i)
    if (out[i] != 0.0f) marks.emplace_back(static_cast<int>(i), out[i]);
  return marks;
}
} // namespace

TEST(Vst3Midi, NotesReachProcessMidiMsgAtTheirOffsets)
{
  std::string error;
  auto module = PluginModule::Load(TARVO_TESTNOTES_BUNDLE, error);
  ASSERT_TRUE(module) << error;
  auto plug = PluginInstance::Create(*module, error);
  ASSERT_TRUE(plug) << error;
  ASSERT_EQ(1u, plug->Buses(kEvent, kInput).size());
  ASSERT_TRUE(plug->Configure(1, 48000.0, 64, kSample32, kRealtime, error)) << error;
  plug->SetActive(true);

  std::vector<float> in(200, 0.5f), out(200, 9.0f);
  float* ip[] = {in.data()};
  float* op[] = {out.data()};
  plug->QueueEvent(Note(true, 60, 3, 0.5f)); // velocity 0.5 x 127 = 63
  plug->QueueEvent(Note(false, 60, 40));
  plug->QueueEvent(Note(true, 72, 150, 1.0f)); // in the third 64-sample piece
  Event other{};
  other.type = Event::kPolyPressureEvent;
  other.sampleOffset = 10;
  plug->QueueEvent(other); // not a note: not delivered
  plug->Process(ip, op, 200);
  const std::vector<std::pair<int, float>> want = {{3, 60.063f}, {40, -60.0f}, {150, 72.127f}};
  EXPECT_EQ(want, Marks(out));

  // Offsets outside the block are held to its ends.
  std::fill(out.begin(), out.end(), 9.0f);
  plug->QueueEvent(Note(true, 50, -4, 0.0f));
  plug->QueueEvent(Note(false, 51, 500));
  plug->Process(ip, op, 20);
  out.resize(20);
  EXPECT_EQ((std::vector<std::pair<int, float>>{{0, 50.0f}, {19, -51.0f}}), Marks(out));
  plug->SetActive(false);
}
