// A per-frame drawing pass outside the element tree: no bounds, no mouse events. The manager
// owns its effects and calls them in list order at fixed points of each frame.
#pragma once

namespace TW {

class Manager;

class Effect {
public:
    explicit Effect(Manager* m) : manager(m) {}
    virtual ~Effect();
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    // Advances animation; once a frame on the render thread, before drawing.
    virtual void Update();
    // Drawn in GUI units after the element tree, depth writes off.
    virtual void Render2d();
    // Drawn with the perspective camera and lighting, before the background.
    virtual void Render3d() const;
    virtual void InitialiseRendering();
    virtual void ShutdownRendering();

    Manager* manager;
};

}  // namespace TW
