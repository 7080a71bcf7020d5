// Per-user preferences: each application domain is one XML property list,
// $XDG_CONFIG_HOME/<domain>.plist (~/.config when XDG_CONFIG_HOME is unset or not absolute).
// Values set are seen by this process at once and reach the file at the next synchronise,
// which first merges what other processes stored meanwhile. A file that cannot be parsed
// reads as empty, with one warning on standard error. Any thread.
#pragma once

#include "platform/cf/CFBase.h"

// A retained copy of the stored value, or null when the key is absent (or the domain name is
// not a usable file name: empty, ".", "..", or containing '/').
CFPropertyListRef CFPreferencesCopyAppValue(CFStringRef key, CFStringRef applicationID);
// A null value removes the key.
void CFPreferencesSetAppValue(CFStringRef key, CFPropertyListRef value, CFStringRef applicationID);
// Merges the domain's changes into the file as it is now and writes it atomically (replaced
// whole). False, with the changes still pending, when the file could not be written or a
// value cannot be stored in a property list.
Boolean CFPreferencesAppSynchronize(CFStringRef applicationID);
