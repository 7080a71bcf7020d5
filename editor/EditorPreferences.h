// The editor's per-user preferences: integers in the domain "com.tarnwick.Flummel".
#pragma once

#include "platform/cf/CFBase.h"

constexpr const char* kPrefGuiScale = "GUI scale";
constexpr const char* kPrefEyeCandy = "Enable eye candy";
constexpr const char* kPrefConstantRedraw = "Enable constant redraw";
constexpr const char* kPrefTooltip = "Enable floating tooltip";

// The stored number under `key`, or `defaultValue` when it is absent or not a number.
int GetPrefInt(const char* key, int defaultValue);
// Stores `value` under `key` and writes the domain out at once.
void SetPrefInt(const char* key, int value);

// The stored "GUI scale" in percent, 100 when absent, brought into the range the preferences
// dialog offers: a hand-edited value cannot make the window vanish or overflow its size.
constexpr int kMinGuiScale = 50, kMaxGuiScale = 200;
int StoredGuiScale();
