#include "framework/vst3/IVST3Parameter.h"

#include <cmath>
#include <cstdlib>

#include "pluginterfaces/base/ustring.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

void ToString128(const char* text, String128 out)
{
  UString(out, 128).fromAscii(text ? text : "");
}

void FromString128(const TChar* text, char* out, int outSize)
{
  if (!out || outSize <= 0) return;
  out[0] = '\0';
  if (!text) return;
  UString(const_cast<TChar*>(text), 128).toAscii(out, outSize);
  out[outSize - 1] = '\0';
}

IVST3Parameter::IVST3Parameter(IParam* param, ParamID id, UnitID unitID) : mParam(param)
{
  ToString128(param->GetNameForHost(), info.title);
  ToString128(param->GetLabelForHost(), info.units);
  info.shortTitle[0] = 0;
  info.id = id;
  info.unitId = unitID;
  info.stepCount =
      param->Type() == IParam::kTypeDouble ? 0 : TruncToInt(param->GetMax() - param->GetMin());
  info.defaultNormalizedValue = param->GetDefaultNormalized();
  info.flags = param->GetCanAutomate() ? ParameterInfo::kCanAutomate : 0;
  precision = param->GetPrecision();
  valueNormalized = info.defaultNormalizedValue;
}

void IVST3Parameter::toString(ParamValue valueNormalized, String128 string) const
{
  char text[IParam::kDisplayLen];
  mParam->GetDisplayForHost(valueNormalized, true, text, true);
  ToString128(text, string);
}

bool IVST3Parameter::fromString(const TChar* string, ParamValue& valueNormalized) const
{
  char text[128];
  FromString128(string, text, sizeof text);
  valueNormalized = mParam->GetNormalized(std::atof(text));
  return true;
}

ParamValue IVST3Parameter::toPlain(ParamValue valueNormalized) const
{
  return mParam->GetNonNormalized(valueNormalized);
}

ParamValue IVST3Parameter::toNormalized(ParamValue plainValue) const
{
  return mParam->GetNormalized(plainValue);
}
