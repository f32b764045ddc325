#pragma once
// The value text the knobs and the fader show under or beside their graphic.

#include "common/StringBuf.h"

class IControl;

// The control's parameter as "<display> <label>" (the label is empty when a display text is
// shown), cut to 31 characters; empty when the control has no parameter.
void FormatParamValueText(const IControl* control, StringBuf* out);
