// Decoration: up to 32 expanding rings, faded in and out over their lifetime and added onto
// the picture through a ring texture. Shown and animated only while eye candy is on.
#pragma once

#include "gui/Effect.h"
#include "gui/Vec.h"

namespace TW {

class Texture;

class Ripples : public Effect {
public:
    static constexpr int kMaxRipples = 32;
    static constexpr float kStep = 1.0f / 30.0f;  // fixed animation step a frame

    struct Ripple {
        Vec3 position;
        Vec4 colour;
        float radius;    // half-size of the drawn square
        float lifetime;  // seconds
        float age;       // seconds
        float growth;    // radius increase a second
    };

    // `texture` stays the manager's.
    Ripples(Manager* m, Texture* texture);

    // Starts a ripple unless all slots are live.
    void Trigger(const Vec3& position, const Vec4& colour, float radius, float lifetime, float growth);
    void Update() override;
    void Render2d() override;

    // Fade factor at `age` of `lifetime`: rises to 1 over the first sixth, then falls to 0.
    static float AlphaFactor(float age, float lifetime);

    Texture* texture;
    Ripple ripples[kMaxRipples] = {};
    int count = 0;
};

static_assert(sizeof(Ripples::Ripple) == 11 * sizeof(float));

}  // namespace TW
