// vst3moduleinfo BUNDLE OUT: loads a VST 3 module as a host does and writes the moduleinfo.json
// that newer hosts read instead of loading the module to scan it (the SDK's moduleinfo format:
// "Name", "Version", "Factory Info", "Compatibility", "Classes").

#include "tools/vst3host/hosting/PluginModule.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

using namespace tarvo::vst3host;
using namespace Steinberg;

namespace
{
std::string Json(const char* text, size_t size)
{
  std::string out = "\"";
  for (size_t i = 0; i < size && text[i]; ++i)
  {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\')
      out += '\\', out += static_cast<char>(c);
    else if (c < 0x20)
    {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\u%04X", c);
      out += escaped;
    }
    else
      out += static_cast<char>(c);
  }
  return out + "\"";
}

template <size_t N> std::string Json(const char (&field)[N])
{
  return Json(field, N);
}

std::string Bool(bool value)
{
  return value ? "true" : "false";
}

// "Fx|EQ" -> ["Fx", "EQ"]
std::string SubCategories(const char (&field)[PClassInfo2::kSubCategoriesSize])
{
  const std::string text(field, strnlen(field, sizeof(field)));
  std::string out = "[";
  size_t start = 0;
  bool first = true;
  while (start <= text.size() && !text.empty())
  {
    size_t bar = text.find('|', start);
    if (bar == std::string::npos) bar = text.size();
    const std::string part = text.substr(start, bar - start);
    if (!part.empty())
    {
      out += (first ? "" : ", ") + Json(part.c_str(), part.size());
      first = false;
    }
    start = bar + 1;
  }
  return out + "]";
}
} // namespace

int main(int argc, char** argv)
{
  if (argc != 3)
  {
    std::fprintf(stderr, "usage: vst3moduleinfo BUNDLE OUT.json\n");
    return 2;
  }
  std::string error;
  std::unique_ptr<PluginModule> module = PluginModule::Load(argv[1], error);
  if (!module)
  {
    std::fprintf(stderr, "vst3moduleinfo: %s\n", error.c_str());
    return 1;
  }
  const PFactoryInfo factory = module->FactoryInfo();
  const std::vector<ClassDescription> classes = module->Classes();

  std::string name = module->BundlePath();
  name = name.substr(name.rfind('/') + 1);
  if (name.size() > 5 && name.compare(name.size() - 5, 5, ".vst3") == 0)
    name.erase(name.size() - 5);
  std::string version = "0.0.0";
  for (const ClassDescription& c : classes)
    if (c.hasInfo2 && c.info2.version[0])
    {
      version = std::string(c.info2.version, strnlen(c.info2.version, sizeof(c.info2.version)));
      break;
    }

  std::string json = "{\n";
  json += "  \"Name\": " + Json(name.c_str(), name.size()) + ",\n";
  json += "  \"Version\": " + Json(version.c_str(), version.size()) + ",\n";
  json += "  \"Factory Info\": {\n";
  json += "    \"Vendor\": " + Json(factory.vendor) + ",\n";
  json += "    \"URL\": " + Json(factory.url) + ",\n";
  json += "    \"E-Mail\": " + Json(factory.email) + ",\n";
  json += "    \"Flags\": {\n";
  json += "      \"Unicode\": " + Bool(factory.flags & PFactoryInfo::kUnicode) + ",\n";
  json +=
      "      \"Classes Discardable\": " + Bool(factory.flags & PFactoryInfo::kClassesDiscardable) +
      ",\n";
  json += "      \"Component Non Discardable\": " +
          Bool(factory.flags & PFactoryInfo::kComponentNonDiscardable) + "\n";
  json += "    }\n  },\n";
  json += "  \"Compatibility\": [],\n";
  json += "  \"Classes\": [";
  for (size_t i = 0; i < classes.size(); ++i)
  {
    const ClassDescription& c = classes[i];
    json += i ? ",\n    {\n" : "\n    {\n";
    json += "      \"CID\": \"" + c.cidHex + "\",\n";
    json += "      \"Category\": " + Json(c.info.category) + ",\n";
    json += "      \"Name\": " + Json(c.info.name) + ",\n";
    if (c.hasInfo2)
    {
      json += "      \"Vendor\": " + Json(c.info2.vendor) + ",\n";
      json += "      \"Version\": " + Json(c.info2.version) + ",\n";
      json += "      \"SDKVersion\": " + Json(c.info2.sdkVersion) + ",\n";
      json += "      \"Sub Categories\": " + SubCategories(c.info2.subCategories) + ",\n";
      json += "      \"Class Flags\": " + std::to_string(c.info2.classFlags) + ",\n";
    }
    json += "      \"Cardinality\": " + std::to_string(c.info.cardinality) + ",\n";
    json += "      \"Snapshots\": []\n    }";
  }
  json += classes.empty() ? "]\n}\n" : "\n  ]\n}\n";

  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << json;
  if (!out)
  {
    std::fprintf(stderr, "vst3moduleinfo: cannot write '%s'\n", argv[2]);
    return 1;
  }
  return 0;
}
