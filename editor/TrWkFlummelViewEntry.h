// The editor's view component entry and its registration with the component manager.
#pragma once

#include "platform/audio/Components.h"

ComponentResult TrWkFlummelViewEntry(ComponentParameters* params, void* storage);

// Registers the view ('auvw', 'Flml', 'TrWk') once; returns the component.
Component RegisterTrWkFlummelView();
ComponentDescription TrWkFlummelViewDescription();
