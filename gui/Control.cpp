#include "gui/Control.h"

#include <cstdio>

#include "gui/Manager.h"

namespace TW {

namespace {

CAAUParameter ProxyFor(const Manager* m, int id)
{
    if (id >= 0 && size_t(id) < m->params.size()) return m->params[size_t(id)];
    std::printf("Control: no parameter %d\n", id);
    return CAAUParameter();
}

}  // namespace

Control::Control(Manager* m, int id) : ControlBase(m), param(ProxyFor(m, id))
{
    m->AddToListener(this, param);
    switch (param.ParamInfo().unit) {
    case kAudioUnitParameterUnit_Indexed:
    case kAudioUnitParameterUnit_Boolean:
    case kAudioUnitParameterUnit_MIDINoteNumber:
    case kAudioUnitParameterUnit_Beats:
        discrete = true;
        break;
    default:
        break;
    }
}

void Control::ParameterChange(const AudioUnitParameter*, float)
{
    normalised.store(NormalisedFromParam(param), std::memory_order_relaxed);
}

void Control::MouseDown(const CGPoint&, unsigned long)
{
    manager->draggedParam.store(ParamId(), std::memory_order_relaxed);
}

void Control::MouseUp(const CGPoint&, unsigned long)
{
    int id = ParamId();
    manager->draggedParam.compare_exchange_strong(id, -1, std::memory_order_relaxed);
}

void Control::MouseEntered()
{
    manager->SetMouseOverParam(ParamId(), this);
}

void Control::MouseExited()
{
    int id = ParamId();
    manager->mouseOverParam.compare_exchange_strong(id, -1, std::memory_order_relaxed);
}

void Control::CreateTrackingRegions()
{
    manager->CreateTrackingRegion(this, nullptr);
}

void Control::ResetToDefault()
{
    ControlBase::ResetToDefault(param);
    normalised.store(NormalisedFromParam(param), std::memory_order_relaxed);
}

void Control::Store(float n)
{
    SetParamFromNormalised(param, n);
    normalised.store(n, std::memory_order_relaxed);
}

}  // namespace TW
