#include "plugins/lv2/Lv2ClassInfoState.h"

#include <string>

#include "platform/audio/AudioUnitCalls.h"
#include "platform/cf/CFData.h"
#include "platform/cf/CFPropertyList.h"

LV2_State_Status Lv2ClassInfoState::Save(AudioUnit unit, const Lv2Uris& uris, LV2_State_Store_Function store,
                                         LV2_State_Handle handle)
{
    if (!uris.Mapped()) return LV2_STATE_ERR_NO_FEATURE;
    CFRef<CFPropertyListRef> plist;
    UInt32 size = sizeof(CFPropertyListRef);
    if (AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, plist.adopt(), &size) !=
            noErr ||
        !plist)
        return LV2_STATE_ERR_UNKNOWN;
    const CFRef<CFDataRef> xml(CFPropertyListCreateXMLData(nullptr, plist));
    if (!xml) return LV2_STATE_ERR_UNKNOWN;
    const std::string text(reinterpret_cast<const char*>(CFDataGetBytePtr(xml)), size_t(CFDataGetLength(xml)));
    return store(handle, uris.classInfo, text.c_str(), text.size() + 1, uris.atomString,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status Lv2ClassInfoState::Restore(AudioUnit unit, const Lv2Uris& uris, LV2_State_Retrieve_Function retrieve,
                                            LV2_State_Handle handle)
{
    if (!uris.Mapped()) return LV2_STATE_ERR_NO_FEATURE;
    size_t size = 0;
    uint32_t type = 0, flags = 0;
    const void* value = retrieve(handle, uris.classInfo, &size, &type, &flags);
    if (!value) return LV2_STATE_ERR_NO_PROPERTY;
    if (type != uris.atomString && type != uris.atomChunk) return LV2_STATE_ERR_BAD_TYPE;
    auto bytes = static_cast<const UInt8*>(value);
    while (size > 0 && bytes[size - 1] == 0) --size;

    const CFRef<CFDataRef> xml(CFDataCreate(nullptr, bytes, CFIndex(size)));
    CFRef<CFStringRef> error;
    const CFRef<CFPropertyListRef> plist(CFPropertyListCreateFromXMLData(nullptr, xml, 0, error.adopt()));
    if (!plist) return LV2_STATE_ERR_UNKNOWN;
    const CFPropertyListRef ref = plist.get();
    return AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &ref, sizeof ref) ==
                   noErr
               ? LV2_STATE_SUCCESS
               : LV2_STATE_ERR_UNKNOWN;
}
