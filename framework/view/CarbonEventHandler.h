// Routes the events of any number of targets to one object: one handler per target, installed
// on the first request and widened by later ones.
#pragma once

#include <map>

#include "platform/desktop/Events.h"

class CarbonEventHandler {
public:
    CarbonEventHandler() = default;
    virtual ~CarbonEventHandler();  // removes every handler it installed
    CarbonEventHandler(const CarbonEventHandler&) = delete;
    CarbonEventHandler& operator=(const CarbonEventHandler&) = delete;

    virtual void WantEventTypes(EventTargetRef target, UInt32 count, const EventTypeSpec* types);
    // True when the event was handled; false passes it on to the next handler.
    virtual bool HandleEvent(EventRef event) = 0;

    static OSStatus TheEventHandler(EventHandlerCallRef call, EventRef event, void* object);

protected:
    // Removes every installed handler now, before the targets they sit on go away.
    void RemoveEventHandlers();

private:
    std::map<EventTargetRef, EventHandlerRef> mHandlers;
};
