// The component entry of a concrete class: open constructs the object, every other selector
// goes to the class's own dispatch; escaping exceptions become results.
#pragma once

#include "framework/ComponentBase.h"

template <class Class>
class ComponentEntryPoint {
public:
    static ComponentResult Dispatch(ComponentParameters* params, void* storage)
    {
        try {
            if (params->what == kComponentOpenSelect) {
                auto instance = reinterpret_cast<ComponentInstance>(ComponentParam(params, 0));
                Class* object = new Class(instance);  // the memory is released if the constructor throws
                try {
                    object->PostConstructor();
                } catch (...) {
                    delete object;
                    throw;
                }
                SetComponentInstanceStorage(instance, static_cast<ComponentBase*>(object));
                return noErr;
            }
            return Class::ComponentEntryDispatch(params, static_cast<Class*>(static_cast<ComponentBase*>(storage)));
        } catch (...) {
            return ComponentBase::ResultOfCurrentException();
        }
    }
};
