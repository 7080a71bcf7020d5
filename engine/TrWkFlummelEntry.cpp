#include "engine/TrWkFlummelEntry.h"

#include "engine/TrWkFlummel.h"
#include "framework/ComponentEntryPoint.h"

ComponentResult TrWkFlummelEntry(ComponentParameters* params, void* storage)
{
    return ComponentEntryPoint<TrWkFlummel>::Dispatch(params, storage);
}

ComponentDescription TrWkFlummelDescription()
{
    return ComponentDescription{kAudioUnitType_Effect, TrWkFlummel::kSubType, TrWkFlummel::kManufacturer, 0, 0};
}

Component RegisterTrWkFlummel()
{
    static Component component = RegisterComponent(TrWkFlummelDescription(), &TrWkFlummelEntry, "TrWk: Flummel");
    return component;
}
