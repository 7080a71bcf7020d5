#include "framework/ComponentBase.h"

#include <new>

ComponentResult ComponentBase::ComponentEntryDispatch(ComponentParameters* params, ComponentBase* object)
{
    if (!object) return paramErr;
    switch (params->what) {
    case kComponentCanDoSelect: {
        const SInt16 asked = SInt16(ComponentParam(params, 0));
        return (asked >= kComponentVersionSelect && asked <= kComponentOpenSelect) ? 1 : 0;
    }
    case kComponentCloseSelect:
        object->PreDestructor();
        delete object;
        return noErr;
    case kComponentVersionSelect:
        return object->Version();
    default:
        return badComponentSelector;
    }
}

ComponentResult ComponentBase::ResultOfCurrentException() noexcept
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return memFullErr;
    } catch (SInt32 status) {
        return status;
    } catch (SInt16 err) {
        return ComponentResult(err);
    } catch (...) {
        return -1;
    }
}
