// The base of every component object: holds the instance handle and answers the selectors
// that every component shares (open, close, can do, version).
#pragma once

#include "platform/audio/Components.h"

class ComponentBase {
public:
    explicit ComponentBase(ComponentInstance instance) : mComponentInstance(instance) {}
    virtual ~ComponentBase() = default;
    ComponentBase(const ComponentBase&) = delete;
    ComponentBase& operator=(const ComponentBase&) = delete;

    virtual ComponentResult Version() { return 1; }
    virtual void PostConstructor() {}
    virtual void PreDestructor() {}

    ComponentInstance GetComponentInstance() const { return mComponentInstance; }

    // Close destroys `object`.
    static ComponentResult ComponentEntryDispatch(ComponentParameters* params, ComponentBase* object);

    // Turns the exception in flight into a result: out of memory -108, a 32-bit status as it is,
    // a 16-bit error sign-extended, anything else -1. Call only from a catch block.
    static ComponentResult ResultOfCurrentException() noexcept;

private:
    ComponentInstance mComponentInstance;
};
