#include "editor/TrWkFlummelViewEntry.h"

#include "editor/TrWkFlummelView.h"
#include "framework/ComponentEntryPoint.h"

ComponentResult TrWkFlummelViewEntry(ComponentParameters* params, void* storage)
{
    return ComponentEntryPoint<TrWkFlummelView>::Dispatch(params, storage);
}

ComponentDescription TrWkFlummelViewDescription()
{
    return ComponentDescription{kAudioUnitCarbonViewComponentType, FourCC("Flml"), FourCC("TrWk"), 0, 0};
}

Component RegisterTrWkFlummelView()
{
    static Component component =
        RegisterComponent(TrWkFlummelViewDescription(), &TrWkFlummelViewEntry, "TrWk: Flummel editor");
    return component;
}
