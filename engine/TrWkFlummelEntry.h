// The effect's component entry and its registration with the component manager.
#pragma once

#include "platform/audio/Components.h"

ComponentResult TrWkFlummelEntry(ComponentParameters* params, void* storage);

// Registers the effect ('aufx', 'Flml', 'TrWk') once; returns the component.
Component RegisterTrWkFlummel();
ComponentDescription TrWkFlummelDescription();
