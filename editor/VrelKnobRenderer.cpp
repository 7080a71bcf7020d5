// The knob batch: the rim template, the vertex array and the vertex program.
#include "editor/VrelKnobRenderer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <cstdio>
#include <mutex>

#include "gui/FileLoader.h"
#include "platform/desktop/GLProcedures.h"

namespace TW {

namespace {

static_assert(sizeof(std::atomic<float>) == sizeof(float) && std::atomic<float>::is_always_lock_free,
              "GL reads the vertex array as plain floats");

// The vertex-program calls, which the GL library hands out only by name.
struct ProgramCalls {
    PFNGLGENPROGRAMSARBPROC genPrograms = nullptr;
    PFNGLDELETEPROGRAMSARBPROC deletePrograms = nullptr;
    PFNGLBINDPROGRAMARBPROC bindProgram = nullptr;
    PFNGLPROGRAMSTRINGARBPROC programString = nullptr;
    bool complete = false;
};

const ProgramCalls& Calls()
{
    static ProgramCalls c;
    static std::once_flag once;
    std::call_once(once, [] {
        LoadGLProcedure(c.genPrograms, "glGenProgramsARB");
        LoadGLProcedure(c.deletePrograms, "glDeleteProgramsARB");
        LoadGLProcedure(c.bindProgram, "glBindProgramARB");
        LoadGLProcedure(c.programString, "glProgramStringARB");
        c.complete = c.genPrograms && c.deletePrograms && c.bindProgram && c.programString;
        if (!c.complete) std::printf("VrelKnobRenderer: no vertex programs in this GL\n");
    });
    return c;
}

void Put(std::atomic<float>* v, float value)
{
    v->store(value, std::memory_order_relaxed);
}

}  // namespace

VrelKnobRenderer::VrelKnobRenderer(Manager* m) : Effect(m)
{
    // A disc of radius 0.75 with a tip at 1.0 straight up between two notches at 0.5, 36 degrees
    // to either side; the first and last points are both the tip.
    for (int j = 0; j < kRimPoints; ++j) {
        const float a = float(double(2 * j) * 0.3141592653589793);
        const float r = (j == 0 || j == 10) ? 1.0f : (j == 1 || j == 9) ? 0.5f : 0.75f;
        rim[j] = {0.7f * std::sin(a), 0.7f * std::cos(a), 0.7f, r * std::sin(a), r * std::cos(a)};
    }
}

VrelKnobRenderer::~VrelKnobRenderer() = default;

int VrelKnobRenderer::Add()
{
    knobs.emplace_back();
    return int(knobs.size()) - 1;
}

void VrelKnobRenderer::SetPosition(int index, float x, float y, float radius)
{
    VrelKnobRenderInfo& k = knobs[size_t(index)];
    k.x.store(x, std::memory_order_relaxed);
    k.y.store(y, std::memory_order_relaxed);
    k.radius.store(radius, std::memory_order_relaxed);
}

void VrelKnobRenderer::SetAngle(int index, float angle)
{
    VrelKnobRenderInfo& k = knobs[size_t(index)];
    k.angle.store(angle, std::memory_order_relaxed);
    std::atomic<float>* array = mVertices.load(std::memory_order_acquire);
    if (!array) return;
    const float sn = std::sin(angle), cs = std::cos(angle);
    const float x = k.x.load(std::memory_order_relaxed), y = k.y.load(std::memory_order_relaxed);
    const float s = k.radius.load(std::memory_order_relaxed);
    std::atomic<float>* v = array + size_t(index) * kFloatsPerKnob + kFloatsPerVertex;
    for (const RimPoint& p : rim) {
        Put(v + 4, cs * p.nx + sn * p.ny);
        Put(v + 5, cs * p.ny - sn * p.nx);
        Put(v + 6, p.nz);
        Put(v + 7, x + cs * s * p.ox + sn * s * p.oy);
        Put(v + 8, y + cs * s * p.oy - sn * s * p.ox);
        Put(v + 9, 0.0f);
        v += kFloatsPerVertex;
    }
}

void VrelKnobRenderer::FillKnob(int index)
{
    const VrelKnobRenderInfo& k = knobs[size_t(index)];
    const Vec4& c = k.colour;
    const float x = k.x.load(std::memory_order_relaxed), y = k.y.load(std::memory_order_relaxed);
    const float s = k.radius.load(std::memory_order_relaxed);
    std::atomic<float>* v = mStorage.get() + size_t(index) * kFloatsPerKnob;
    auto vertex = [&v](const Vec4& colour, float nx, float ny, float nz, float px, float py) {
        const float f[kFloatsPerVertex] = {colour.x, colour.y, colour.z, colour.w, nx, ny, nz, px, py, 0.0f};
        for (float value : f) Put(v++, value);
    };
    vertex(c, 0, 0, 1, x, y);
    for (int j = 0; j < kRimPoints; ++j) {
        const RimPoint& p = rim[j];
        // Only the tip is opaque: each knob is a glow fading from its centre, with a bright pointer.
        const Vec4 rimColour = (j == 0 || j == kRimPoints - 1) ? Vec4{c.x, c.y, c.z, 0.75f * c.w}
                                                               : Vec4{0.5f * c.x, 0.5f * c.y, c.z, 0.0f};
        vertex(rimColour, p.nx, p.ny, p.nz, x + s * p.ox, y + s * p.oy);
    }
}

void VrelKnobRenderer::InitialiseRendering()
{
    if (!mText) mText = std::make_unique<FileLoader>("knobshader.txt");
    static const char kNoText[] = "";
    const char* text = mText->data ? reinterpret_cast<const char*>(mText->data) : kNoText;
    const ProgramCalls& gl = Calls();
    programCompiled = false;
    if (gl.complete) {
        if (program) gl.deletePrograms(1, &program);
        gl.genPrograms(1, &program);
        gl.bindProgram(GL_VERTEX_PROGRAM_ARB, program);
        gl.programString(GL_VERTEX_PROGRAM_ARB, GL_PROGRAM_FORMAT_ASCII_ARB, GLsizei(mText->size), text);
        GLint errorAt = -1;
        glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorAt);
        programCompiled = errorAt < 0;
        if (!programCompiled) {
            const GLubyte* why = glGetString(GL_PROGRAM_ERROR_STRING_ARB);
            std::fprintf(stderr, "error at position: %d\n%s\n", int(errorAt),
                         why ? reinterpret_cast<const char*>(why) : "");
            glGetError();  // the failed load's error, reported above
        }
        gl.bindProgram(GL_VERTEX_PROGRAM_ARB, 0);
    }

    // The slots are fixed once the editor is built: a restarted render thread refills the same
    // array, which the main thread may be turning a knob in.
    if (!mStorage) mStorage = std::make_unique<std::atomic<float>[]>(knobs.size() * kFloatsPerKnob);
    for (int i = 0; i < Count(); ++i) FillKnob(i);
    mVertices.store(mStorage.get(), std::memory_order_release);
    for (int i = 0; i < Count(); ++i) SetAngle(i, knobs[size_t(i)].angle.load(std::memory_order_relaxed));
}

void VrelKnobRenderer::Render2d()
{
    const float* array = Vertices();
    if (!array || knobs.empty()) return;
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // A program that did not compile would stop every draw: the knobs are then drawn unshaded.
    if (programCompiled) {
        Calls().bindProgram(GL_VERTEX_PROGRAM_ARB, program);
        glEnable(GL_VERTEX_PROGRAM_ARB);
    }
    glInterleavedArrays(GL_C4F_N3F_V3F, 0, array);
    for (int i = 0; i < Count(); ++i) glDrawArrays(GL_TRIANGLE_FAN, i * kVerticesPerKnob, kVerticesPerKnob);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    if (programCompiled) glDisable(GL_VERTEX_PROGRAM_ARB);
    glDisable(GL_BLEND);
}

void VrelKnobRenderer::ShutdownRendering()
{
    if (program) Calls().deletePrograms(1, &program);
    program = 0;
    programCompiled = false;
}

const float* VrelKnobRenderer::Vertices() const
{
    return reinterpret_cast<const float*>(mVertices.load(std::memory_order_acquire));
}

}  // namespace TW
