// vst3host: a command-line VST 3 host. It loads any .vst3 bundle as a DAW does (dlopen,
// ModuleEntry, GetPluginFactory), acts as host application ("Tarvo vst3host") and component
// handler (edits are printed to stderr), and handles single-component and split
// component/controller plug-ins.

#include "tools/vst3host/AudioFile.h"
#include "tools/vst3host/GuiHost.h"
#include "tools/vst3host/hosting/Audio.h"
#include "tools/vst3host/hosting/GestureRule.h"
#include "tools/vst3host/hosting/PluginInstance.h"
#include "tools/vst3host/hosting/PluginModule.h"
#include "tools/vst3host/hosting/PresetFile.h"

#include "pluginterfaces/vst/vstspeaker.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#if !defined(_WIN32)
#include <dlfcn.h>
#endif
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <strings.h>
#include <vector>

using namespace tarvo::vst3host;
using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{

constexpr const char* kUsage =
    "usage:\n"
    "  vst3host info BUNDLE\n"
    "  vst3host render BUNDLE IN OUT [--preset NAME|INDEX] [--set \"NAME=VALUE\"]... [--bypass]\n"
    "                  [--rate HZ] [--block N] [--float|--double] [--mono] [--bits 32|64]\n"
    "  vst3host state save BUNDLE FILE [--preset NAME|INDEX] [--set \"NAME=VALUE\"]...\n"
    "  vst3host state load BUNDLE FILE\n"
    "  vst3host bench BUNDLE [--seconds N] [--block N]\n"
    "  vst3host gui BUNDLE [--preset NAME|INDEX] [--set \"NAME=VALUE\"]... [--screenshot FILE\n"
    "               [--after MS]] [--script FILE|-] [--seconds N] [--scale 2] [--no-audio]\n"
    "               [--no-run-loop] [--fixed-size]\n"
    "\n"
    "IN is an audio file or a generated signal: noise:SECONDS, sweep:SECONDS, impulse.\n"
    "OUT is written as a float WAV file of 32 bits (or 64 with --bits 64). --set takes plain\n"
    "values (\"Gain 1=6\"), converted\n"
    "with the plug-in's own plainParamToNormalized; a parameter is named by its title or ID.\n"
    "--preset selects a program through the program-change parameter, by name or index; --bypass\n"
    "sets the bypass parameter. State files ending in .vstpreset hold the component and the\n"
    "controller state; any other file holds the raw host state stream (the controller's state of\n"
    "a single-component plug-in, else the component's).\n"
    "gui opens the editor in a window with audio running through the plug-in, prints every edit\n"
    "the editor reports, and runs the commands of --script (see tools/vst3host/GuiHost.h).\n"
    "--fixed-size makes it refuse every size the editor asks for, as hosts with fixed windows "
    "do.\n";

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct Options
{
  std::vector<std::string> positional;
  std::optional<std::string> preset;
  std::vector<std::string> sets;
  bool bypass = false;
  std::optional<double> rate;
  int block = 512;
  bool doublePrecision = false;
  int outputBits = 32;
  bool mono = false;
  double seconds = 10.0;
  bool secondsGiven = false;
  std::string screenshot;
  int after = 1000;
  std::string script;
  bool noRunLoop = false;
  bool noAudio = false;
  bool fixedSize = false;
  double scale = 1.0;
};

int Fail(const std::string& message)
{
  std::fprintf(stderr, "vst3host: %s\n", message.c_str());
  return kExitFailure;
}

int Usage(const std::string& message)
{
  std::fprintf(stderr, "vst3host: %s\n\n%s", message.c_str(), kUsage);
  return kExitUsage;
}

bool ParseNumber(const std::string& text, double& value)
{
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return !text.empty() && end && *end == 0 && std::isfinite(value);
}

// Parses argv[first..] accepting only the named options; false with a message otherwise.
bool ParseOptions(int argc, char** argv, int first, const std::vector<std::string>& allowed,
                  Options& options, std::string& error)
{
  auto isAllowed = [&](const std::string& name)
  { return std::find(allowed.begin(), allowed.end(), name) != allowed.end(); };
  for (int i = first; i < argc; ++i)
  {
    const std::string arg = argv[i];
    if (arg.size() < 2 || arg.compare(0, 2, "--") != 0)
    {
      options.positional.push_back(arg);
      continue;
    }
    if (!isAllowed(arg))
    {
      error = "unknown option " + arg;
      return false;
    }
    auto value = [&](std::string& out)
    {
      if (i + 1 >= argc)
      {
        error = arg + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    std::string text;
    double number = 0.0;
    if (arg == "--preset")
    {
      if (!value(text)) return false;
      options.preset = text;
    }
    else if (arg == "--set")
    {
      if (!value(text)) return false;
      options.sets.push_back(text);
    }
    else if (arg == "--bypass")
      options.bypass = true;
    else if (arg == "--float")
      options.doublePrecision = false;
    else if (arg == "--double")
      options.doublePrecision = true;
    else if (arg == "--mono")
      options.mono = true;
    else if (arg == "--bits")
    {
      if (!value(text)) return false;
      if (text != "32" && text != "64")
      {
        error = "--bits takes 32 or 64";
        return false;
      }
      options.outputBits = text == "64" ? 64 : 32;
    }
    else if (arg == "--no-run-loop")
      options.noRunLoop = true;
    else if (arg == "--no-audio")
      options.noAudio = true;
    else if (arg == "--fixed-size")
      options.fixedSize = true;
    else if (arg == "--screenshot" || arg == "--script")
    {
      if (!value(text)) return false;
      (arg == "--screenshot" ? options.screenshot : options.script) = text;
    }
    else if (arg == "--after" || arg == "--scale")
    {
      if (!value(text)) return false;
      if (!ParseNumber(text, number) || number < 0.0 || number > 1e7)
      {
        error = arg + " needs a number, not '" + text + "'";
        return false;
      }
      if (arg == "--after")
        options.after = static_cast<int>(number);
      else
        options.scale = number;
    }
    else if (arg == "--rate" || arg == "--block" || arg == "--seconds")
    {
      if (!value(text)) return false;
      if (!ParseNumber(text, number) || number <= 0.0)
      {
        error = arg + " needs a positive number, not '" + text + "'";
        return false;
      }
      if (arg == "--rate")
      {
        if (number < 8000.0 || number > 768000.0)
        {
          error = "--rate must lie between 8000 and 768000 Hz";
          return false;
        }
        options.rate = number;
      }
      else if (arg == "--block")
      {
        if (number != std::floor(number) || number > 65536.0)
        {
          error = "--block must be a whole number of frames up to 65536";
          return false;
        }
        options.block = static_cast<int>(number);
      }
      else
      {
        options.seconds = number;
        options.secondsGiven = true;
      }
    }
  }
  return true;
}

std::string FixedText(const char* text, size_t size)
{
  return std::string(text, strnlen(text, size));
}

std::string Hex(std::uint64_t value)
{
  char text[32];
  std::snprintf(text, sizeof(text), "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

std::string ResultName(tresult result)
{
  switch (result)
  {
  case kResultOk:
    return "kResultOk";
  case kResultFalse:
    return "kResultFalse";
  case kInvalidArgument:
    return "kInvalidArgument";
  case kNotImplemented:
    return "kNotImplemented";
  case kNoInterface:
    return "kNoInterface";
  default:
    return "result " + std::to_string(result);
  }
}

std::string ParameterFlags(int32 flags)
{
  static const std::pair<int32, const char*> kNames[] = {
      {ParameterInfo::kCanAutomate, "CanAutomate"},
      {ParameterInfo::kIsReadOnly, "ReadOnly"},
      {ParameterInfo::kIsWrapAround, "WrapAround"},
      {ParameterInfo::kIsList, "List"},
      {ParameterInfo::kIsHidden, "Hidden"},
      {ParameterInfo::kIsProgramChange, "ProgramChange"},
      {ParameterInfo::kIsBypass, "Bypass"}};
  std::string text;
  for (const auto& [bit, name] : kNames)
    if (flags & bit) text += (text.empty() ? "" : "|") + std::string(name);
  return text.empty() ? "none" : text;
}

std::string BusTypeName(int32 type)
{
  return type == kMain ? "main" : type == kAux ? "aux" : "?";
}

void PrintEdit(const ComponentHandler::Event& event)
{
  switch (event.kind)
  {
  case ComponentHandler::Event::kBeginEdit:
    std::fprintf(stderr, "edit: beginEdit %u\n", event.id);
    break;
  case ComponentHandler::Event::kPerformEdit:
    std::fprintf(stderr, "edit: performEdit %u %.6f\n", event.id, event.value);
    break;
  case ComponentHandler::Event::kEndEdit:
    std::fprintf(stderr, "edit: endEdit %u\n", event.id);
    break;
  case ComponentHandler::Event::kRestart:
    std::fprintf(stderr, "edit: restartComponent %s\n",
                 Hex(static_cast<std::uint64_t>(event.value)).c_str());
    break;
  case ComponentHandler::Event::kContextMenu:
    std::fprintf(stderr, "edit: createContextMenu %u\n", event.id);
    break;
  }
}

struct Session
{
  std::unique_ptr<PluginModule> module;
  std::unique_ptr<PluginInstance> instance;
};

bool Open(const std::string& bundle, Session& session, std::string& error,
          ComponentHandler::Observer observer = PrintEdit)
{
  session.module = PluginModule::Load(bundle, error);
  if (!session.module) return false;
  session.instance = PluginInstance::Create(*session.module, error, {}, std::move(observer));
  return session.instance != nullptr;
}

// gui: every edit the editor reports is checked against the gesture rule.
GestureRule sGestures;

// gui: edits on standard output, flushed at once, for whoever watches the editor; a call that
// breaks the gesture rule is followed by a line saying how.
void PrintGuiEdit(const ComponentHandler::Event& event)
{
  std::string violation;
  switch (event.kind)
  {
  case ComponentHandler::Event::kBeginEdit:
    std::printf("beginEdit %u\n", event.id);
    violation = sGestures.Begin(event.id);
    break;
  case ComponentHandler::Event::kPerformEdit:
    std::printf("performEdit %u %.6f\n", event.id, event.value);
    violation = sGestures.Perform(event.id);
    break;
  case ComponentHandler::Event::kEndEdit:
    std::printf("endEdit %u\n", event.id);
    violation = sGestures.End(event.id);
    break;
  case ComponentHandler::Event::kRestart:
    std::printf("restartComponent %s\n", Hex(static_cast<std::uint64_t>(event.value)).c_str());
    break;
  case ComponentHandler::Event::kContextMenu:
    std::printf("contextMenu %u\n", event.id);
    break;
  }
  if (!violation.empty()) std::printf("gesture violation: %s\n", violation.c_str());
  std::fflush(stdout);
}

std::string GestureReport()
{
  return std::to_string(sGestures.Violations()) + " violations, " +
         std::to_string(sGestures.OpenGestures()) + " open";
}

std::string PluginName(const PluginInstance& instance)
{
  return FixedText(instance.Class().info.name, PClassInfo::kNameSize);
}

// --preset, --set and --bypass, queued for the next process call (and set on the controller).
bool ApplySettings(PluginInstance& instance, const Options& options, std::string& error)
{
  if (options.preset)
  {
    auto param = instance.FindParameterWithFlag(ParameterInfo::kIsProgramChange);
    if (!param)
    {
      error = "the plug-in has no program-change parameter for --preset";
      return false;
    }
    const int32 steps = param->info.stepCount;
    const auto list = instance.ProgramListFor(*param);
    const std::string& wanted = *options.preset;
    long index = -1;
    char* end = nullptr;
    const long number = std::strtol(wanted.c_str(), &end, 10);
    if (!wanted.empty() && end && *end == 0)
      index = number;
    else if (list)
    {
      for (size_t i = 0; i < list->programs.size() && index < 0; ++i)
        if (list->programs[i] == wanted) index = static_cast<long>(i);
      for (size_t i = 0; i < list->programs.size() && index < 0; ++i)
        if (strcasecmp(list->programs[i].c_str(), wanted.c_str()) == 0)
          index = static_cast<long>(i);
    }
    const long count = list ? static_cast<long>(list->programs.size()) : steps + 1L;
    if (index < 0 || index >= count || index > steps || steps <= 0)
    {
      error = "no program '" + wanted + "'";
      if (list)
      {
        error += "; programs of \"" + list->name + "\":";
        for (size_t i = 0; i < list->programs.size(); ++i)
          error += "\n  " + std::to_string(i) + " " + list->programs[i];
      }
      return false;
    }
    // index / stepCount, nudged up so plug-ins that truncate (not round) land on the index.
    const double normalized =
        index >= steps ? 1.0 : (static_cast<double>(index) + 1e-6) / static_cast<double>(steps);
    instance.SetParameter(param->info.id, normalized);
    std::printf("preset: %ld%s%s%s\n", index, list ? " \"" : "",
                list ? list->programs[static_cast<size_t>(index)].c_str() : "", list ? "\"" : "");
  }
  for (const std::string& set : options.sets)
  {
    const size_t eq = set.rfind('=');
    if (eq == std::string::npos)
    {
      error = "--set needs NAME=VALUE, not '" + set + "'";
      return false;
    }
    auto trim = [](std::string s)
    {
      while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
      size_t start = 0;
      while (start < s.size() && std::isspace(static_cast<unsigned char>(s[start])))
        ++start;
      return s.substr(start);
    };
    const std::string name = trim(set.substr(0, eq));
    const std::string valueText = trim(set.substr(eq + 1));
    double plain = 0.0;
    if (!ParseNumber(valueText, plain))
    {
      error = "--set " + name + ": '" + valueText + "' is not a number";
      return false;
    }
    auto param = instance.FindParameter(name);
    if (!param)
    {
      error = "no parameter '" + name + "'; parameters:";
      for (const ParameterDescription& p : instance.Parameters())
        error += "\n  " + std::to_string(p.info.id) + " " + p.title;
      return false;
    }
    const double normalized =
        std::clamp(instance.Controller()->plainParamToNormalized(param->info.id, plain), 0.0, 1.0);
    instance.SetParameter(param->info.id, normalized);
    std::printf("set: %s (id %u) = %g -> normalized %.6f\n", param->title.c_str(), param->info.id,
                plain, normalized);
  }
  if (options.bypass)
  {
    auto param = instance.FindParameterWithFlag(ParameterInfo::kIsBypass);
    if (!param)
    {
      error = "the plug-in has no bypass parameter for --bypass";
      return false;
    }
    instance.SetParameter(param->info.id, 1.0);
    std::printf("bypass: on (id %u)\n", param->info.id);
  }
  return true;
}

// --- info ---

int CommandInfo(const Options& options)
{
  if (options.positional.size() != 1) return Usage("info takes one BUNDLE");
  Session session;
  std::string error;
  if (!Open(options.positional[0], session, error)) return Fail(error);
  PluginModule& module = *session.module;
  PluginInstance& instance = *session.instance;

  std::printf("Module: %s\n  library %s\n", module.BundlePath().c_str(),
              module.LibraryPath().c_str());
  const PFactoryInfo factory = module.FactoryInfo();
  std::printf("Factory: vendor \"%s\", url \"%s\", email \"%s\", flags %s\n",
              FixedText(factory.vendor, PFactoryInfo::kNameSize).c_str(),
              FixedText(factory.url, PFactoryInfo::kURLSize).c_str(),
              FixedText(factory.email, PFactoryInfo::kEmailSize).c_str(),
              Hex(static_cast<std::uint32_t>(factory.flags)).c_str());
  const std::vector<ClassDescription> classes = module.Classes();
  std::printf("Classes: %zu\n", classes.size());
  for (size_t i = 0; i < classes.size(); ++i)
  {
    const ClassDescription& c = classes[i];
    std::printf("  [%zu] \"%s\" category \"%s\" cid %s cardinality %s\n", i,
                FixedText(c.info.name, PClassInfo::kNameSize).c_str(),
                FixedText(c.info.category, PClassInfo::kCategorySize).c_str(), c.cidHex.c_str(),
                c.info.cardinality == PClassInfo::kManyInstances
                    ? "many"
                    : std::to_string(c.info.cardinality).c_str());
    if (c.hasInfo2)
      std::printf("      sub-categories \"%s\", class flags %s, vendor \"%s\", version \"%s\", "
                  "sdk \"%s\"\n",
                  FixedText(c.info2.subCategories, PClassInfo2::kSubCategoriesSize).c_str(),
                  Hex(c.info2.classFlags).c_str(),
                  FixedText(c.info2.vendor, PClassInfo2::kVendorSize).c_str(),
                  FixedText(c.info2.version, PClassInfo2::kVersionSize).c_str(),
                  FixedText(c.info2.sdkVersion, PClassInfo2::kVersionSize).c_str());
  }

  std::printf("Instance of \"%s\": %s\n", PluginName(instance).c_str(),
              instance.IsSingleComponent() ? "single component (the component is its own edit "
                                             "controller)"
                                           : "separate component and edit controller");
  std::printf("Latency: %u samples, tail: %u samples, 64-bit processing: %s\n",
              instance.Processor()->getLatencySamples(), instance.Processor()->getTailSamples(),
              instance.Processor()->canProcessSampleSize(kSample64) == kResultTrue ? "yes" : "no");

  const struct
  {
    MediaType type;
    BusDirection dir;
    const char* title;
  } kBusLists[] = {{kAudio, kInput, "Audio inputs"},
                   {kAudio, kOutput, "Audio outputs"},
                   {kEvent, kInput, "Event inputs"},
                   {kEvent, kOutput, "Event outputs"}};
  for (const auto& list : kBusLists)
  {
    const std::vector<BusDescription> buses = instance.Buses(list.type, list.dir);
    std::printf("%s: %zu\n", list.title, buses.size());
    for (size_t i = 0; i < buses.size(); ++i)
    {
      const BusDescription& bus = buses[i];
      std::printf("  [%zu] \"%s\" %s, %d ch", i, bus.name.c_str(),
                  BusTypeName(bus.info.busType).c_str(), bus.info.channelCount);
      if (list.type == kAudio) std::printf(", arrangement %s", Hex(bus.arrangement).c_str());
      std::printf(", flags %s%s\n", Hex(bus.info.flags).c_str(),
                  (bus.info.flags & BusInfo::kDefaultActive) ? " (default active)" : "");
    }
  }

  const std::vector<ParameterDescription> params = instance.Parameters();
  std::printf("Parameters: %zu\n", params.size());
  for (size_t i = 0; i < params.size(); ++i)
  {
    const ParameterDescription& p = params[i];
    std::printf("  [%zu] id %u \"%s\" units \"%s\" steps %d default %.6f flags %s unit %d\n", i,
                p.info.id, p.title.c_str(), p.units.c_str(), p.info.stepCount,
                p.info.defaultNormalizedValue, ParameterFlags(p.info.flags).c_str(), p.info.unitId);
  }

  if (!instance.Units())
  {
    std::printf("Units: none (no IUnitInfo)\n");
    return kExitOk;
  }
  const std::vector<UnitDescription> units = instance.UnitList();
  std::printf("Units: %zu\n", units.size());
  for (const UnitDescription& u : units)
    std::printf("  id %d \"%s\" parent %d program list %s\n", u.info.id, u.name.c_str(),
                u.info.parentUnitId,
                u.info.programListId == kNoProgramListId
                    ? "none"
                    : Hex(static_cast<std::uint32_t>(u.info.programListId)).c_str());
  const std::vector<ProgramListDescription> lists = instance.ProgramLists();
  std::printf("Program lists: %zu (getProgramListCount %d)\n", lists.size(),
              instance.Units()->getProgramListCount());
  for (const ProgramListDescription& list : lists)
  {
    std::printf("  id %s \"%s\": %d programs\n",
                Hex(static_cast<std::uint32_t>(list.info.id)).c_str(), list.name.c_str(),
                list.info.programCount);
    for (size_t p = 0; p < list.programs.size(); ++p)
      std::printf("    %zu \"%s\"\n", p, list.programs[p].c_str());
  }
  return kExitOk;
}

// --- render ---

int CommandRender(const Options& options)
{
  if (options.positional.size() != 3) return Usage("render takes BUNDLE IN OUT");
  const std::string& inName = options.positional[1];
  const std::string& outPath = options.positional[2];
  const int channels = options.mono ? 1 : 2;
  std::string error;

  Planar input;
  double rate = options.rate.value_or(48000.0);
  if (IsGeneratorName(inName))
  {
    if (!GenerateSignal(inName, rate, channels, input, error)) return Fail(error);
  }
  else
  {
    double fileRate = 0.0;
    if (!ReadAudioFile(inName, input, fileRate, error)) return Fail(error);
    if (options.rate && *options.rate != fileRate)
      std::fprintf(stderr, "vst3host: processing '%s' (%g Hz) at %g Hz, without resampling\n",
                   inName.c_str(), fileRate, *options.rate);
    rate = options.rate.value_or(fileRate);
    AdaptChannels(input, channels);
  }

  Session session;
  if (!Open(options.positional[0], session, error)) return Fail(error);
  PluginInstance& instance = *session.instance;
  const int32 sampleSize = options.doublePrecision ? kSample64 : kSample32;
  if (!instance.Configure(channels, rate, options.block, sampleSize, kOffline, error))
    return Fail(error);
  if (!instance.SetActive(true)) return Fail("setActive(true) failed");
  if (!ApplySettings(instance, options, error)) return Fail(error);
  Planar output;
  const bool rendered =
      Render(instance, input, output, options.block, options.doublePrecision, error);
  instance.SetActive(false);
  if (!rendered) return Fail(error);
  if (!WriteAudioFile(outPath, output, rate, options.outputBits, error)) return Fail(error);

  const Levels in = Measure(input);
  const Levels out = Measure(output);
  const size_t frames = input.empty() ? 0 : input[0].size();
  std::printf("rendered %zu frames, %d ch, %g Hz, %s, blocks of %d through \"%s\"\n", frames,
              channels, rate, options.doublePrecision ? "64-bit" : "32-bit", options.block,
              PluginName(instance).c_str());
  std::printf("input  %s: peak %s dBFS, RMS %s dBFS\n", inName.c_str(),
              FormatDb(in.PeakDb()).c_str(), FormatDb(in.RmsDb()).c_str());
  std::printf("output %s: peak %s dBFS, RMS %s dBFS\n", outPath.c_str(),
              FormatDb(out.PeakDb()).c_str(), FormatDb(out.RmsDb()).c_str());
  return kExitOk;
}

// --- state ---

bool ReadFile(const std::string& path, std::vector<std::uint8_t>& bytes)
{
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

bool EndsWith(const std::string& text, const std::string& suffix)
{
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void PrintParameterValues(PluginInstance& instance)
{
  IEditController* controller = instance.Controller();
  for (const ParameterDescription& p : instance.Parameters())
  {
    const ParamValue value = controller->getParamNormalized(p.info.id);
    String128 text{};
    const bool hasText = controller->getParamStringByValue(p.info.id, value, text) == kResultOk;
    std::printf("  %u \"%s\" = %.6f%s%s%s%s\n", p.info.id, p.title.c_str(), value,
                hasText ? " \"" : "", hasText ? ToUtf8(text).c_str() : "",
                hasText && !p.units.empty() ? " " : "", hasText ? (p.units + "\"").c_str() : "");
  }
}

int CommandStateSave(const Options& options)
{
  if (options.positional.size() != 2) return Usage("state save takes BUNDLE FILE");
  const std::string& path = options.positional[1];
  Session session;
  std::string error;
  if (!Open(options.positional[0], session, error)) return Fail(error);
  PluginInstance& instance = *session.instance;
  if (!instance.Configure(2, 48000.0, 512, kSample32, kRealtime, error) &&
      !instance.Configure(1, 48000.0, 512, kSample32, kRealtime, error))
    return Fail(error);
  if (!instance.SetActive(true)) return Fail("setActive(true) failed");
  if (!ApplySettings(instance, options, error)) return Fail(error);
  instance.Flush(); // delivers the settings to the processor
  instance.SetActive(false);

  std::vector<std::uint8_t> component, controller;
  const tresult componentResult = instance.GetComponentState(component);
  const tresult controllerResult = instance.GetControllerState(controller);
  std::printf("component getState: %s, %zu bytes\n", ResultName(componentResult).c_str(),
              component.size());
  std::printf("controller getState: %s, %zu bytes\n", ResultName(controllerResult).c_str(),
              controller.size());
  std::vector<std::uint8_t> bytes;
  if (EndsWith(path, ".vstpreset"))
  {
    PresetFile preset;
    preset.classIdHex = instance.Class().cidHex;
    preset.hasComponentState = componentResult == kResultOk;
    preset.componentState = component;
    preset.hasControllerState = controllerResult == kResultOk && !controller.empty();
    preset.controllerState = controller;
    if (!preset.hasComponentState && !preset.hasControllerState)
      return Fail("the plug-in gave no state");
    bytes = WritePresetFile(preset);
  }
  else
  {
    // The host state stream: the controller's of a single-component plug-in (as Tarvo keeps it),
    // the component's otherwise.
    const bool useController = instance.IsSingleComponent() && controllerResult == kResultOk;
    if (!useController && componentResult != kResultOk) return Fail("the plug-in gave no state");
    bytes = useController ? controller : component;
    std::printf("raw stream: the %s state\n", useController ? "controller's" : "component's");
  }
  if (!WriteFile(path, bytes)) return Fail("cannot write '" + path + "'");
  std::printf("wrote %s (%zu bytes)\n", path.c_str(), bytes.size());
  return kExitOk;
}

int CommandStateLoad(const Options& options)
{
  if (options.positional.size() != 2) return Usage("state load takes BUNDLE FILE");
  const std::string& path = options.positional[1];
  std::vector<std::uint8_t> bytes;
  if (!ReadFile(path, bytes)) return Fail("cannot read '" + path + "'");
  Session session;
  std::string error;
  if (!Open(options.positional[0], session, error)) return Fail(error);
  PluginInstance& instance = *session.instance;

  bool ok = true;
  PresetFile preset;
  if (ReadPresetFile(bytes, preset))
  {
    std::printf(
        "preset file: class %s, component state %s, controller state %s\n",
        preset.classIdHex.c_str(),
        preset.hasComponentState ? std::to_string(preset.componentState.size()).c_str() : "none",
        preset.hasControllerState ? std::to_string(preset.controllerState.size()).c_str() : "none");
    if (preset.classIdHex != instance.Class().cidHex)
      std::fprintf(stderr, "vst3host: the preset is for class %s, not %s\n",
                   preset.classIdHex.c_str(), instance.Class().cidHex.c_str());
    if (preset.hasComponentState)
    {
      const tresult r = instance.SetComponentState(preset.componentState);
      std::printf("component setState: %s\n", ResultName(r).c_str());
      ok = ok && r == kResultOk;
    }
    if (preset.hasControllerState)
    {
      const tresult r = instance.SetControllerState(preset.controllerState);
      std::printf("controller setState: %s\n", ResultName(r).c_str());
      ok = ok && r == kResultOk;
    }
  }
  else
  {
    std::printf("raw stream: %zu bytes\n", bytes.size());
    const tresult r = instance.IsSingleComponent() ? instance.SetControllerState(bytes)
                                                   : instance.SetComponentState(bytes);
    std::printf("%s setState: %s\n", instance.IsSingleComponent() ? "controller" : "component",
                ResultName(r).c_str());
    ok = r == kResultOk;
  }
  std::printf("parameters:\n");
  PrintParameterValues(instance);
  return ok ? kExitOk : kExitFailure;
}

// --- bench ---

int CommandBench(const Options& options)
{
  if (options.positional.size() != 1) return Usage("bench takes one BUNDLE");
  constexpr double kRate = 48000.0;
  Session session;
  std::string error;
  if (!Open(options.positional[0], session, error)) return Fail(error);
  PluginInstance& instance = *session.instance;
  if (!instance.Configure(2, kRate, options.block, kSample32, kRealtime, error)) return Fail(error);
  if (!instance.SetActive(true)) return Fail("setActive(true) failed");

  Planar noise;
  const std::string signal = "noise:" + std::to_string(options.seconds);
  if (!GenerateSignal(signal, kRate, 2, noise, error)) return Fail(error);
  const size_t frames = noise[0].size();
  const size_t block = static_cast<size_t>(options.block);
  std::vector<std::vector<float>> in(2, std::vector<float>(frames));
  std::vector<std::vector<float>> out(2, std::vector<float>(block));
  for (size_t c = 0; c < 2; ++c)
    for (size_t i = 0; i < frames; ++i)
      in[c][i] = static_cast<float>(noise[c][i]);
  float* outPtr[2] = {out[0].data(), out[1].data()};

  // One block to settle first-call work, then the timed run.
  float* warmIn[2] = {in[0].data(), in[1].data()};
  instance.Process(warmIn, outPtr, static_cast<int32>(std::min(block, frames)));
  const auto start = std::chrono::steady_clock::now();
  for (size_t pos = 0; pos < frames; pos += block)
  {
    const size_t n = std::min(block, frames - pos);
    float* inPtr[2] = {in[0].data() + pos, in[1].data() + pos};
    instance.Process(inPtr, outPtr, static_cast<int32>(n));
  }
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  instance.SetActive(false);
  const double audioSeconds = static_cast<double>(frames) / kRate;
  std::printf("bench \"%s\": %.3f s of stereo 32-bit audio at 48000 Hz in blocks of %d\n",
              PluginName(instance).c_str(), audioSeconds, options.block);
  std::printf("processing took %.6f s: %.1f x realtime, %.1f ns per frame\n", elapsed,
              elapsed > 0.0 ? audioSeconds / elapsed : 0.0,
              1e9 * elapsed / static_cast<double>(frames));
  return kExitOk;
}

// --- gui ---

int CommandGui(const Options& options)
{
  if (options.positional.size() != 1) return Usage("gui takes one BUNDLE");
  Session session;
  std::string error;
  if (!Open(options.positional[0], session, error, PrintGuiEdit)) return Fail(error);
    // An editor brings in libraries of its own (X11, fonts) that keep state for the process. Like a
    // DAW, we keep the module mapped to the end, so those libraries are still there when the
    // process goes and leak checkers can name what they hold.
#if !defined(_WIN32)
  dlopen(session.module->LibraryPath().c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
#endif
  PluginInstance& instance = *session.instance;
  if (!instance.Configure(2, 48000.0, 512, kSample32, kRealtime, error) &&
      !instance.Configure(1, 48000.0, 512, kSample32, kRealtime, error))
    return Fail(error);
  if (!instance.SetActive(true)) return Fail("setActive(true) failed");
  if (!ApplySettings(instance, options, error)) return Fail(error);
  instance.Flush();
  std::fflush(stdout);

  GuiOptions gui;
  gui.screenshot = options.screenshot;
  gui.afterMs = options.after;
  gui.script = options.script;
  gui.runLoop = !options.noRunLoop;
  gui.audio = !options.noAudio;
  gui.scale = static_cast<float>(options.scale);
  gui.fixedSize = options.fixedSize;
  gui.seconds = options.secondsGiven ? options.seconds : 0.0;
  gui.gestureReport = GestureReport;
  const int result = RunGui(instance, gui);
  instance.SetActive(false);
  // A gesture still open now was never ended: one more violation each.
  std::printf("gestures: %d violations\n", sGestures.Violations() + sGestures.OpenGestures());
  std::fflush(stdout);
  return result;
}

} // namespace

int main(int argc, char** argv)
{
  if (argc < 2) return Usage("no command");
  const std::string command = argv[1];
  if (command == "-h" || command == "--help" || command == "help")
  {
    std::printf("%s", kUsage);
    return kExitOk;
  }
  Options options;
  std::string error;
  if (command == "info")
  {
    if (!ParseOptions(argc, argv, 2, {}, options, error)) return Usage(error);
    return CommandInfo(options);
  }
  if (command == "render")
  {
    if (!ParseOptions(argc, argv, 2,
                      {"--preset", "--set", "--bypass", "--rate", "--block", "--float", "--double",
                       "--mono", "--bits"},
                      options, error))
      return Usage(error);
    return CommandRender(options);
  }
  if (command == "state")
  {
    const std::string sub = argc > 2 ? argv[2] : "";
    if (sub == "save")
    {
      if (!ParseOptions(argc, argv, 3, {"--preset", "--set"}, options, error)) return Usage(error);
      return CommandStateSave(options);
    }
    if (sub == "load")
    {
      if (!ParseOptions(argc, argv, 3, {}, options, error)) return Usage(error);
      return CommandStateLoad(options);
    }
    return Usage("state needs save or load");
  }
  if (command == "bench")
  {
    if (!ParseOptions(argc, argv, 2, {"--seconds", "--block"}, options, error)) return Usage(error);
    return CommandBench(options);
  }
  if (command == "gui")
  {
    if (!ParseOptions(argc, argv, 2,
                      {"--preset", "--set", "--screenshot", "--after", "--script", "--seconds",
                       "--scale", "--no-audio", "--no-run-loop", "--fixed-size"},
                      options, error))
      return Usage(error);
    return CommandGui(options);
  }
  return Usage("unknown command '" + command + "'");
}
