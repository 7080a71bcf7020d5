// Arbitrary bytes through the property-list reader and on into the effect's state restore.
#include <cstddef>
#include <cstdint>

#include "engine/TrWkFlummelEntry.h"
#include "platform/audio/AudioUnitCalls.h"
#include "platform/cf/CFPropertyList.h"
#include "platform/cf/CoreFoundation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    static AudioUnit unit = [] {
        ComponentDescription desc = TrWkFlummelDescription();
        RegisterTrWkFlummel();
        AudioUnit u = nullptr;
        OpenAComponent(FindNextComponent(nullptr, &desc), &u);
        return u;
    }();
    CFDataRef data = CFDataCreate(nullptr, bytes, CFIndex(size));
    CFStringRef error = nullptr;
    CFPropertyListRef state = CFPropertyListCreateFromXMLData(nullptr, data, 0, &error);
    if (state) {
        AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, 0, 0, &state, sizeof state);
        // Whatever was restored must save again.
        CFPropertyListRef saved = nullptr;
        UInt32 size32 = sizeof saved;
        if (AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, 0, 0, &saved, &size32) == noErr && saved) {
            CFDataRef xml = CFPropertyListCreateXMLData(nullptr, saved);
            if (!xml) __builtin_trap();  // a saved state is always writable
            CFRelease(xml);
            CFRelease(saved);
        }
        CFRelease(state);
    }
    if (error) CFRelease(error);
    CFRelease(data);
    return 0;
}
