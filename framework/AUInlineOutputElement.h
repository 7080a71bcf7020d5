// An output bus without buffers of its own: after each render it points at the input's buffers.
#pragma once

#include "framework/AUOutputElement.h"

class AUInlineOutputElement : public AUOutputElement {
public:
    explicit AUInlineOutputElement(AUBase* unit) : AUOutputElement(unit) {}
    bool NeedsBufferSpace() const override { return false; }
};
