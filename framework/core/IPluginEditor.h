#pragma once
// What the plug-in base needs of its editor engine. The GUI engine implements it, so the core
// builds and is tested without any GUI code.

class IPluginEditor
{
public:
  virtual ~IPluginEditor() = default;

  // Records a parameter's value for every control linked to it; drawn at the next redraw tick.
  // Any thread; stores values and dirty flags only.
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized) = 0;
  // Records a value for one control by its index. Audio thread allowed.
  virtual void SetControlFromPlug(int controlIdx, double normalizedValue) = 0;
  // Marks every control for redrawing.
  virtual void SetAllControlsDirty() = 0;
  // Lays out the controls once all of them are attached.
  virtual void PrepDraw() {}
};
