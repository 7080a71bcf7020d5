// The editor's knob: the toolkit knob's behaviour with the look of the knob renderer, which draws
// it from the centre, radius, colour and angle this knob hands it. Its colour tells the kind of
// parameter (by unit); its label sits under the knob in the window's static background.
#pragma once

#include "gui/Knob.h"
#include "gui/Vec.h"

namespace TW {

class VrelKnobRenderer;

class VrelKnob : public Knob {
public:
    // A size x size knob at (x, y) in its group, with room for the label 10 units above it.
    // `label` is kept as a pointer.
    VrelKnob(Manager* m, VrelKnobRenderer* renderer, int id, const char* label, float x, float y, float size);

    void Render() const override;
    void ExtendBounds(Bounds& b) const override;
    void ParameterChange(const AudioUnitParameter* param, float value) override;
    void FinalPosition() override;
    void DrawLabel(const Font* font) override;

    // The colour of a knob for a parameter of `unit`.
    static Vec4 ColourForUnit(AudioUnitParameterUnit unit);

    VrelKnobRenderer* renderer;
    int slot;
    Vec4 colour{0, 0, 0, 0};
    const char* label;
};

}  // namespace TW
