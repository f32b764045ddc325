#include "controls/ValueText.h"

#include "framework/core/IAudioPlugin.h"
#include "framework/gui/IControl.h"

void FormatParamValueText(const IControl* control, StringBuf* out)
{
  out->Set("");
  IParam* param = control->GetParam();
  if (!param) return;
  char display[IParam::kDisplayLen] = {};
  {
    // Automation may be changing the value on the audio thread.
    RecursiveMutex::Lock lock(control->GetPlug()->GetMutex());
    param->GetDisplayForHost(display, true);
  }
  out->SetFormatted(31, "%s %s", display, param->GetLabelForHost());
}
