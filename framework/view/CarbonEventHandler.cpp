#include "framework/view/CarbonEventHandler.h"

CarbonEventHandler::~CarbonEventHandler() { RemoveEventHandlers(); }

void CarbonEventHandler::RemoveEventHandlers()
{
    for (auto& [target, handler] : mHandlers) RemoveEventHandler(handler);
    mHandlers.clear();
}

void CarbonEventHandler::WantEventTypes(EventTargetRef target, UInt32 count, const EventTypeSpec* types)
{
    auto found = mHandlers.find(target);
    if (found != mHandlers.end()) {
        AddEventTypesToHandler(found->second, count, types);
        return;
    }
    EventHandlerRef handler = nullptr;
    if (InstallEventHandler(target, &TheEventHandler, count, types, this, &handler) == noErr)
        mHandlers[target] = handler;
}

OSStatus CarbonEventHandler::TheEventHandler(EventHandlerCallRef, EventRef event, void* object)
{
    const bool handled = static_cast<CarbonEventHandler*>(object)->HandleEvent(event);
    return handled ? OSStatus(noErr) : OSStatus(eventNotHandledErr);
}
