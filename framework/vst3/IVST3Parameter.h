#pragma once
// A framework parameter as the host sees it: the SDK parameter object, answering through the
// IParam it wraps (not owned) so host and framework always agree on values and texts.

#include "framework/core/IParam.h"
#include "public.sdk/source/vst/vstparameters.h"

class IVST3Parameter : public Steinberg::Vst::Parameter
{
public:
  IVST3Parameter(IParam* param, Steinberg::Vst::ParamID id, Steinberg::Vst::UnitID unitID);

  void toString(Steinberg::Vst::ParamValue valueNormalized,
                Steinberg::Vst::String128 string) const override;
  bool fromString(const Steinberg::Vst::TChar* string,
                  Steinberg::Vst::ParamValue& valueNormalized) const override;
  Steinberg::Vst::ParamValue toPlain(Steinberg::Vst::ParamValue valueNormalized) const override;
  Steinberg::Vst::ParamValue toNormalized(Steinberg::Vst::ParamValue plainValue) const override;

  OBJ_METHODS(IVST3Parameter, Steinberg::Vst::Parameter)

private:
  IParam* mParam;
};

// ASCII to the host's UTF-16 and back, cut to fit.
void ToString128(const char* text, Steinberg::Vst::String128 out);
void FromString128(const Steinberg::Vst::TChar* text, char* out, int outSize);
