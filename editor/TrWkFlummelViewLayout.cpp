// The editor window: what stands where, bound to what, and the order in which it is built.
#include <span>

#include "editor/EditorPreferences.h"
#include "editor/Kitt.h"
#include "editor/PhaseDisc.h"
#include "editor/PreferencesDialog.h"
#include "editor/TrWkFlummelView.h"
#include "editor/VrelButton.h"
#include "editor/VrelKnob.h"
#include "editor/VrelKnobRenderer.h"
#include "editor/WaveformDisplay.h"
#include "engine/FlummelShared.h"
#include "gui/Font.h"
#include "gui/Manager.h"
#include "gui/NamedGroup.h"
#include "platform/audio/AudioUnitCalls.h"
#include "platform/desktop/FontLocator.h"

namespace {

enum class Kind { Knob, PhaseDisc, Button, Waveform, Scanner };
// An element's y: 0 inside its group, or one of the window's lower rows.
enum class Row { InGroup, Two, Three };

struct Element {
    Kind kind;
    const char* label;
    int param;                     // knobs
    float DataToGui::*phase;       // phase discs: the field of the manager's DataToGui copy
    TW::Button::Callback action;   // buttons
    int help;                      // buttons: help index
    float x;
    Row row;
    float width, height;
};

constexpr float kKnobSize = 30;
constexpr float kMargin = 10;

constexpr Element Knob(const char* label, int param, float x)
{
    return {Kind::Knob, label, param, nullptr, nullptr, 0, x, Row::InGroup, kKnobSize, kKnobSize};
}
constexpr Element Disc(float DataToGui::*phase, float x)
{
    return {Kind::PhaseDisc, nullptr, -1, phase, nullptr, 0, x, Row::InGroup, 30, 30};
}
constexpr Element Button(const char* label, TW::Button::Callback action, int help, float x, Row row, float width)
{
    return {Kind::Button, label, -1, nullptr, action, help, x, row, width, 30};
}
constexpr Element Display(Kind kind, float x, Row row, float width, float height)
{
    return {kind, nullptr, -1, nullptr, nullptr, 0, x, row, width, height};
}

//                          label          parameter                  x
const Element kDelay[] = {
    Knob("Time",       0,  /* Delay Time */         0),
    Knob("Feedback",   1,  /* Feedback */           44),
};
const Element kMix[] = {
    Knob("Dry",        2,  /* Dry Level */          0),
    Knob("Effect",     3,  /* Effect Level */       44),
};
const Element kFilter[] = {
    Knob("Cutoff",     9,  /* Filter Cutoff */      0),
    Knob("Resonance",  10, /* Filter Q */           44),
    Knob("Type",       11, /* Filter Type */        88),
    Knob("Saturation", 12, /* Saturation Amount */  132),
    Knob("Shape",      13, /* Saturation Shape */   176),
};
const Element kSync[] = {
    Knob("Host Sync",  5,  /* Host Tempo */         0),
    Knob("Beats",      6,  /* Beats */              44),
    Knob("Divisor",    7,  /* Beat Divisor */       88),
    Knob("Triplet",    8,  /* Triplet */            132),
    Disc(&DataToGui::delayPhase,                    176),
    Button("Zero", TrWkFlummelView::SyncButtonProc, -3, 220, Row::InGroup, 50),
};
const Element kLfoSync[] = {
    Knob("Host Sync",  17, /* LFO Host Tempo */     0),
    Knob("Beats",      18, /* LFO Beats */          44),
    Knob("Divisor",    19, /* LFO Beat Divisor */   88),
    Knob("Triplet",    20, /* LFO Triplet */        132),
    Disc(&DataToGui::lfoPhase,                      176),
    Button("Zero", TrWkFlummelView::LfoSyncButtonProc, -3, 220, Row::InGroup, 50),
};
const Element kLfo[] = {
    Knob("Speed",      14, /* Filter LFO Speed */   0),
    Knob("Amount",     15, /* Filter LFO Amount */  44),
};
const Element kPrefs = Button("Prefs", AboutButtonProc, -2, 20, Row::Two, 80);  // on the root
const Element kFlummel[] = {
    Display(Kind::Waveform, 20, Row::Three, 730, 100),
    Display(Kind::Scanner,  20, Row::Three, 730, 100),
};

// Group x and y: row 1 left to right, 15 units between frames (35 after "Delay"); row 2 below
// "Sync", with "LFO Sync" under it and "LFO" to its left; the displays below those.
constexpr float kLeft = 20;
constexpr float kAfterDelay = 35;
constexpr float kGap = 15;
constexpr float kBelowSync = 35;

struct Builder {
    TrWkFlummelView* view;
    TW::Manager* manager;
    TW::VrelKnobRenderer* knobs;
    float row2 = 0, row3 = 0;
    TW::WaveformDisplay* waveform = nullptr;

    float Y(Row row) const { return row == Row::Two ? row2 : row == Row::Three ? row3 : 0; }

    TW::UIElement* Make(const Element& e)
    {
        TW::Manager* m = manager;
        const float y = Y(e.row);
        switch (e.kind) {
        case Kind::Knob: return new TW::VrelKnob(m, knobs, e.param, e.label, e.x, y, e.width);
        case Kind::PhaseDisc: return new TW::PhaseDisc(m, e.x, y, e.width, e.height, &(m->dataToGui.*e.phase));
        case Kind::Button: return new TW::VrelButton(m, e.label, e.action, view, e.x, y, e.width, e.height, e.help);
        case Kind::Waveform:
            waveform = new TW::WaveformDisplay(m, e.x, y, e.width, e.height, &m->dataToGui);
            return waveform;
        case Kind::Scanner: return new TW::Kitt(m, e.x, y, e.width, e.height, &m->dataToGui);
        }
        return nullptr;
    }

    // A titled group with its children, joined to the root before them (or after, when `last`).
    TW::NamedGroup* Group(const char* title, std::span<const Element> elements, bool last = false)
    {
        auto* g = new TW::NamedGroup(manager, title, kMargin);
        if (!last) manager->root->AddChild(g);
        for (const Element& e : elements) g->AddChild(Make(e));
        if (last) manager->root->AddChild(g);
        return g;
    }
};

void Place(TW::Group* g, float x, float y) { g->offset = TW::Vec3{x, y, 0}; }

}  // namespace

OSStatus TrWkFlummelView::CreateUI(Float32 xOffset, Float32 yOffset)
{
    TW::Manager::ms_enableEyeCandy = GetPrefInt(kPrefEyeCandy, 1) != 0;
    TW::Manager::ms_enableConstantRedraw = GetPrefInt(kPrefConstantRedraw, 1) != 0;
    TW::Manager::ms_enableTooltip = GetPrefInt(kPrefTooltip, 0) != 0;
    TW::NamedGroup::ms_activeTargetColour = TW::Vec4{0.5f, 0.6f, 0.7f, 0.6f};
    TW::NamedGroup::ms_inactiveTargetColour = TW::Vec4{0.4f, 0.4f, 0.6f, 0.5f};

    Rect bounds;
    bounds.left = SInt16(xOffset);
    bounds.top = SInt16(yOffset);
    bounds.right = SInt16(bounds.left + windowW);
    bounds.bottom = SInt16(bounds.top + windowH);

    // A sans-serif face for titles, buttons and the status line; a monospaced one for knob labels.
    const std::string large = FontLocator::FileFor("/Library/Fonts/GillSans.dfont");
    const std::string small = FontLocator::FileFor("/System/Library/Fonts/Monaco.dfont");
    if (!large.empty()) mLargeFont = std::make_unique<TW::Font>(large.c_str(), 14);
    if (!small.empty()) mSmallFont = std::make_unique<TW::Font>(small.c_str(), 9);

    mManager = std::make_unique<TW::Manager>(this, bounds, 21, mLargeFont.get(), mSmallFont.get());
    TW::Manager* m = mManager.get();
    m->helpStrings = pHelpStrings;
    auto* knobs = new TW::VrelKnobRenderer(m);
    m->effects.push_back(knobs);

    Builder b{this, m, knobs};
    TW::NamedGroup* delay = b.Group("Delay", kDelay);
    Place(delay, kLeft, kLeft);
    TW::NamedGroup* mix = b.Group("Mix", kMix);
    const float xMix = delay->GetWidth() + kAfterDelay;
    Place(mix, xMix, kLeft);
    TW::NamedGroup* filter = b.Group("Filter", kFilter);
    const float xFilter = xMix + mix->GetWidth() + kGap;
    Place(filter, xFilter, kLeft);
    TW::NamedGroup* sync = b.Group("Sync", kSync);
    const float xSync = xFilter + filter->GetWidth() + kGap;
    Place(sync, xSync, kLeft);
    TW::NamedGroup* lfoSync = b.Group("LFO Sync", kLfoSync);
    b.row2 = sync->GetHeight() + kBelowSync;
    Place(lfoSync, xSync, b.row2);
    TW::NamedGroup* lfo = b.Group("LFO", kLfo);
    Place(lfo, xSync - (lfo->GetWidth() + kGap), b.row2);
    m->root->AddChild(b.Make(kPrefs));
    b.row3 = b.row2 + lfo->GetHeight() + kGap;
    b.Group("Flummel", kFlummel, true);
    mWaveformDisplay = b.waveform;

    m->CreateRenderTask();

    const float* overview = nullptr;
    UInt32 size = sizeof overview;
    if (AudioUnitGetProperty(GetEditAudioUnit(), kSampleOverviewProperty, kAudioUnitScope_Global, 0, &overview,
                             &size) == noErr &&
        mWaveformDisplay)
        mWaveformDisplay->Set(overview);
    return noErr;
}
