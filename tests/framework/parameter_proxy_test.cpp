// The editor's parameter proxy on a unit with every kind of parameter the proxy treats apart:
// names, unit labels, indexed counts, clamping, listener notification and string ownership.
#include <gtest/gtest.h>

#include <string>

#include "TestUnit.h"
#include "framework/CAAUParameter.h"
#include "platform/cf/CFRunLoop.h"

namespace {

enum { kPlain = 0, kIndexed = 1, kCustom = 2, kNote = 3, kSwitch = 4, kNamed = 5, kCustomAscii = 6, kHuge = 7, kMissing = 99 };

const std::string kLongUnit = std::string(254, 'u') + "\xC3\xA9tres and more";  // a letter across byte 255

class ProxyUnit : public TestUnit {
public:
    static constexpr OSType kSubType = FourCC("Prxy");
    explicit ProxyUnit(ComponentInstance ci) : TestUnit(ci)
    {
        for (AudioUnitParameterID id : {kIndexed, kCustom, kNote, kSwitch, kNamed, kCustomAscii, kHuge}) Globals()->SetParameter(id, 0.f);
    }
    OSStatus GetParameterInfo(AudioUnitScope scope, AudioUnitParameterID id, AudioUnitParameterInfo& info) override
    {
        if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
        info = AudioUnitParameterInfo{};
        info.flags = kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable;
        switch (id) {
        case kPlain: Fill(info, "Gain", kAudioUnitParameterUnit_Generic, 0, 2); break;
        case kIndexed: Fill(info, "Mode", kAudioUnitParameterUnit_Indexed, 0, 3); break;
        case kHuge: Fill(info, "Steps", kAudioUnitParameterUnit_Indexed, 0, 1e9f); break;
        case kCustom:
            Fill(info, "Odd", kAudioUnitParameterUnit_CustomUnit, -1, 1);
            info.unitName = CFStringCreateWithCString(nullptr, kLongUnit.c_str(), kCFStringEncodingUTF8);
            info.flags |= kAudioUnitParameterFlag_CFNameRelease;
            break;
        case kCustomAscii:
            Fill(info, "Wide", kAudioUnitParameterUnit_CustomUnit, 0, 1);
            info.unitName = CFStringCreateWithCString(nullptr, std::string(300, 'a').c_str(), kCFStringEncodingUTF8);
            info.flags |= kAudioUnitParameterFlag_CFNameRelease;
            break;
        case kNote: Fill(info, "Note", kAudioUnitParameterUnit_MIDINoteNumber, 24, 96); break;
        case kSwitch: Fill(info, "On", kAudioUnitParameterUnit_Boolean, 0, 1); break;
        case kNamed:
            Fill(info, "c-name", kAudioUnitParameterUnit_Seconds, 0, 10);
            info.cfNameString = CFStringCreateWithCString(nullptr, "Long Name", kCFStringEncodingUTF8);
            info.flags |= kAudioUnitParameterFlag_HasCFNameString | kAudioUnitParameterFlag_CFNameRelease;
            break;
        default: return kAudioUnitErr_InvalidParameter;
        }
        return noErr;
    }

private:
    static void Fill(AudioUnitParameterInfo& info, const char* name, AudioUnitParameterUnit unit, float lo, float hi)
    {
        std::snprintf(info.name, sizeof info.name, "%s", name);
        info.unit = unit;
        info.minValue = lo;
        info.maxValue = hi;
        info.defaultValue = lo;
    }
};

std::string Text(CFStringRef s)
{
    const char* p = s ? CFStringGetCStringPtr(s, kCFStringEncodingUTF8) : nullptr;
    return p ? p : "<null>";
}

class ParameterProxy : public ::testing::Test {
protected:
    void SetUp() override
    {
        static Component c = RegisterComponent(
            ComponentDescription{kAudioUnitType_Effect, ProxyUnit::kSubType, TestUnit::kManufacturer, 0, 0},
            &ComponentEntryPoint<ProxyUnit>::Dispatch, "Proxy Unit");
        ASSERT_EQ(OpenAComponent(c, &unit), noErr);
        liveBefore = CFLiveObjectCount();
    }
    void TearDown() override { CloseComponent(unit); }
    CAAUParameter Proxy(AudioUnitParameterID id) { return CAAUParameter(unit, id, kAudioUnitScope_Global, 0); }

    AudioUnit unit = nullptr;
    long liveBefore = 0;
};

}  // namespace

TEST_F(ParameterProxy, NamesLabelsIndexedCountsAndMissingParameters)
{
    EXPECT_EQ(Text(Proxy(kPlain).GetName()), "Gain");
    EXPECT_EQ(Proxy(kPlain).GetUnitLabel(), nullptr);
    EXPECT_EQ(Text(Proxy(kNamed).GetName()), "Long Name");  // the name string wins over the C name
    EXPECT_EQ(Text(Proxy(kNamed).GetUnitLabel()), "Secs");
    EXPECT_EQ(Text(Proxy(kSwitch).GetUnitLabel()), "T/F");

    const CAAUParameter mode = Proxy(kIndexed);  // indexed without value strings: the range counts
    EXPECT_TRUE(mode.IsIndexed());
    EXPECT_EQ(mode.GetNumIndexedParams(), 4);
    EXPECT_EQ(mode.GetValueStrings(), nullptr);
    EXPECT_EQ(Proxy(kHuge).GetNumIndexedParams(), 32767);  // a count too large for 16 bits saturates

    const CAAUParameter note = Proxy(kNote);
    EXPECT_EQ(Text(note.GetUnitLabel()), "MIDI");
    EXPECT_EQ(note.GetNumIndexedParams(), 73);

    // The custom unit's name keeps at most its first 255 bytes, here ending before the two-byte
    // letter that byte 255 would split.
    EXPECT_EQ(Text(Proxy(kCustom).GetUnitLabel()), std::string(254, 'u'));
    EXPECT_EQ(Text(Proxy(kCustomAscii).GetUnitLabel()), std::string(255, 'a'));

    const CAAUParameter missing = Proxy(kMissing);  // an unreadable parameter gets a zero record
    EXPECT_EQ(Text(missing.GetName()), "");
    EXPECT_EQ(missing.GetUnitLabel(), nullptr);
    EXPECT_EQ(missing.ParamInfo().maxValue, 0.f);
    EXPECT_EQ(missing.GetValue(), 0.f);
}

TEST_F(ParameterProxy, SetValueClampsAndTellsListeners)
{
    struct Heard {
        int calls = 0;
        float value = -1;
    } heard;
    AUParameterListenerRef listener = nullptr;
    ASSERT_EQ(AUListenerCreate(
                  [](void* ref, void*, const AudioUnitParameter*, AudioUnitParameterValue v) {
                      auto* h = static_cast<Heard*>(ref);
                      ++h->calls;
                      h->value = v;
                  },
                  &heard, CFRunLoopGetCurrent(), kCFRunLoopDefaultMode, 0.f, &listener),
              noErr);
    const CAAUParameter gain = Proxy(kPlain);
    ASSERT_EQ(AUListenerAddParameter(listener, nullptr, &gain), noErr);

    gain.SetValue(nullptr, nullptr, 7.5f);
    EXPECT_EQ(gain.GetValue(), 2.f);  // lowered to the maximum
    CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.05, false);
    EXPECT_GE(heard.calls, 1);
    EXPECT_EQ(heard.value, 2.f);

    gain.SetValue(nullptr, nullptr, -3.f);
    EXPECT_EQ(gain.GetValue(), 0.f);  // raised to the minimum
    gain.SetValue(nullptr, nullptr, 1.25f);
    EXPECT_EQ(gain.GetValue(), 1.25f);
    CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.05, false);
    EXPECT_EQ(heard.value, 1.25f);
    AUListenerDispose(listener);
}

TEST_F(ParameterProxy, CopiesOwnTheirStringsAndNothingLeaks)
{
    {
        auto* first = new CAAUParameter(unit, kNamed, kAudioUnitScope_Global, 0);
        CAAUParameter copy(*first);
        CAAUParameter assigned = Proxy(kSwitch);
        assigned = *first;
        assigned = assigned;  // self-assignment keeps the strings
        delete first;
        EXPECT_EQ(Text(copy.GetName()), "Long Name");
        EXPECT_EQ(Text(copy.GetUnitLabel()), "Secs");
        EXPECT_EQ(Text(assigned.GetName()), "Long Name");
        EXPECT_EQ(Text(assigned.ParamInfo().cfNameString), "Long Name");
        CAAUParameter custom = Proxy(kCustom);
        CAAUParameter moved = custom;
        EXPECT_EQ(Text(moved.GetUnitLabel()), Text(custom.GetUnitLabel()));
    }
    EXPECT_EQ(CFLiveObjectCount(), liveBefore);
}
