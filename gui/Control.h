// A control bound to one parameter: keeps a normalised copy of its value (0 to 1) in step
// through the manager's listener, marks the parameter as dragged during a gesture and as the
// one under the pointer while hovered.
#pragma once

#include <atomic>

#include "gui/ControlBase.h"

namespace TW {

class Control : public ControlBase {
public:
    // Binds the manager's proxy for parameter `id`. Indexed, Boolean, MIDI-note and beat
    // parameters are discrete.
    Control(Manager* m, int id);

    // Reads the current value back; the delivered value is not used.
    void ParameterChange(const AudioUnitParameter* param, float value) override;
    void MouseDown(const CGPoint& p, unsigned long modifiers) override;
    void MouseUp(const CGPoint& p, unsigned long modifiers) override;
    void MouseEntered() override;
    void MouseExited() override;
    void CreateTrackingRegions() override;

    int ParamId() const { return int(param.mParameterID); }

    CAAUParameter param;
    // Written on the main thread, drawn on the render thread.
    std::atomic<float> normalised{0};

protected:
    // Command: back to the default value, refreshing `normalised`.
    void ResetToDefault();
    // Writes `n` (snapped when discrete) to the parameter and stores it as `normalised`.
    void Store(float n);
};

}  // namespace TW
