// Draws every styled knob of an editor in one batch: a glowing disc with a pointed tip per knob,
// twelve vertices of one interleaved array (colour, normal, position) drawn as triangle fans
// through the vertex program "knobshader.txt", which shades them by their normals.
//
// Knobs take their slots while the editor is built. The array is made when the render thread
// starts; after that only the angles change, rewriting a knob's rim in place from the main
// thread while the render thread may be drawing it (a frame may show a half-turned rim).
#pragma once

#include <GL/gl.h>

#include <atomic>
#include <deque>
#include <memory>

#include "gui/Effect.h"
#include "editor/VrelKnobRenderInfo.h"

namespace TW {

class FileLoader;

class VrelKnobRenderer : public Effect {
public:
    static constexpr int kRimPoints = 11;
    static constexpr int kVerticesPerKnob = kRimPoints + 1;  // the centre, then the rim
    static constexpr int kFloatsPerVertex = 10;              // colour 4, normal 3, position 3
    static constexpr int kFloatsPerKnob = kVerticesPerKnob * kFloatsPerVertex;

    // One rim point of the unit knob pointing straight up.
    struct RimPoint {
        float nx, ny, nz;  // normal
        float ox, oy;      // offset from the centre in radii
    };

    explicit VrelKnobRenderer(Manager* m);
    ~VrelKnobRenderer() override;

    // A new knob's slot.
    int Add();
    VrelKnobRenderInfo& Info(int index) { return knobs[size_t(index)]; }
    int Count() const { return int(knobs.size()); }

    // The centre and radius the array is built from when rendering starts.
    void SetPosition(int index, float x, float y, float radius);
    // Radians clockwise from straight up; turns the knob's rim at once once the array exists.
    void SetAngle(int index, float angle);

    // Render thread.
    void InitialiseRendering() override;
    void Render2d() override;
    void ShutdownRendering() override;

    // The vertex array (kFloatsPerKnob floats a knob in slot order); null before rendering starts.
    const float* Vertices() const;

    RimPoint rim[kRimPoints];
    std::deque<VrelKnobRenderInfo> knobs;  // a deque: entries never move
    GLuint program = 0;
    bool programCompiled = false;

private:
    void FillKnob(int index);

    std::unique_ptr<std::atomic<float>[]> mStorage;
    std::atomic<std::atomic<float>*> mVertices{nullptr};  // mStorage once filled
    std::unique_ptr<FileLoader> mText;
};

}  // namespace TW
