#include "gui/Effect.h"

namespace TW {

Effect::~Effect() = default;
void Effect::Update() {}
void Effect::Render2d() {}
void Effect::Render3d() const {}
void Effect::InitialiseRendering() {}
void Effect::ShutdownRendering() {}

}  // namespace TW
