// The editor's parameter proxy on a unit with every kind of parameter the proxy treats apart:
// names, unit labels, indexed counts, clamping, listener notification and string ownership.
#include <gtest/gtest.h>

#include <string>

#include "TestUnit.h"
#include "framework/CAAUParameter.h"
#include "platform/cf/CFRunLoop.h"

namespace {

enum { kPlain, kIndexed, kCustom, kNote, kSwitch, kNamed, kCustomAscii, kHuge, kMissing = 99 };

const std::string kLongUnit = std::string(254, 'u') + "\xC3\xA9tres and more";  // a letter across byte 255

class ProxyUnit : public TestUnit {
public:
    static constexpr OSType kSubType = FourCC("Prxy");
    explicit ProxyUnit(ComponentInstance ci) : TestUnit(ci)
    {
        for (AudioUnitParameterID id = kIndexed; id <= kHuge; ++id) Globals()->SetParameter(id, 0.f);
    }
    OSStatus GetParameterInfo(AudioUnitScope scope, AudioUnitParameterID id, AudioUnitParameterInfo& info) override
    {
        if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
        switch (id) {
        case kPlain: return Fill(info, "Gain", kAudioUnitParameterUnit_Generic, 0, 2);
        case kIndexed: return Fill(info, "Mode", kAudioUnitParameterUnit_Indexed, 0, 3);
        case kHuge: return Fill(info, "Steps", kAudioUnitParameterUnit_Indexed, 0, 1e9f);
        case kCustom: return Fill(info, "Odd", kAudioUnitParameterUnit_CustomUnit, -1, 1, kLongUnit.c_str());
        case kCustomAscii:
            return Fill(info, "Wide", kAudioUnitParameterUnit_CustomUnit, 0, 1, std::string(300, 'a').c_str());
        case kNote: return Fill(info, "Note", kAudioUnitParameterUnit_MIDINoteNumber, 24, 96);
        case kSwitch: return Fill(info, "On", kAudioUnitParameterUnit_Boolean, 0, 1);
        case kNamed: return Fill(info, "c-name", kAudioUnitParameterUnit_Seconds, 0, 10, nullptr, "Long Name");
        default: return kAudioUnitErr_InvalidParameter;
        }
    }

private:
    static OSStatus Fill(AudioUnitParameterInfo& info, const char* name, AudioUnitParameterUnit unit, float lo,
                         float hi, const char* unitName = nullptr, const char* cfName = nullptr)
    {
        info = AudioUnitParameterInfo{};
        std::snprintf(info.name, sizeof info.name, "%s", name);
        info.unit = unit;
        info.minValue = info.defaultValue = lo;
        info.maxValue = hi;
        info.flags = kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable;
        if (unitName) info.unitName = CFStringCreateWithCString(nullptr, unitName, kCFStringEncodingUTF8);
        if (cfName) {
            info.cfNameString = CFStringCreateWithCString(nullptr, cfName, kCFStringEncodingUTF8);
            info.flags |= kAudioUnitParameterFlag_HasCFNameString;
        }
        if (unitName || cfName) info.flags |= kAudioUnitParameterFlag_CFNameRelease;
        return noErr;
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
    // The name string wins over the C name; a custom unit's name keeps at most its first 255 bytes, ending
    // before a two-byte letter that byte 255 would split; an unreadable parameter gets a zero record.
    const struct {
        AudioUnitParameterID id;
        const char* name;
        std::string label;
    } cases[] = {
        {kPlain, "Gain", "<null>"}, {kNamed, "Long Name", "Secs"}, {kSwitch, "On", "T/F"}, {kNote, "Note", "MIDI"},
        {kCustom, "Odd", std::string(254, 'u')}, {kCustomAscii, "Wide", std::string(255, 'a')},
        {kMissing, "", "<null>"},
    };
    for (const auto& c : cases) {
        const CAAUParameter p = Proxy(c.id);
        EXPECT_EQ(Text(p.GetName()), c.name) << c.id;
        EXPECT_EQ(Text(p.GetUnitLabel()), c.label) << c.id;
    }
    const CAAUParameter mode = Proxy(kIndexed);  // indexed without value strings: the range counts
    EXPECT_TRUE(mode.IsIndexed());
    EXPECT_EQ(mode.GetNumIndexedParams(), 4);
    EXPECT_EQ(mode.GetValueStrings(), nullptr);
    EXPECT_EQ(Proxy(kHuge).GetNumIndexedParams(), 32767);  // a count too large for 16 bits saturates
    EXPECT_EQ(Proxy(kNote).GetNumIndexedParams(), 73);
    EXPECT_EQ(Proxy(kMissing).ParamInfo().maxValue, 0.f);
    EXPECT_EQ(Proxy(kMissing).GetValue(), 0.f);
}

TEST_F(ParameterProxy, SetValueClampsAndTellsListeners)
{
    float heard = -1;
    AUParameterListenerRef listener = nullptr;
    ASSERT_EQ(AUListenerCreate([](void* ref, void*, const AudioUnitParameter*,
                                  AudioUnitParameterValue v) { *static_cast<float*>(ref) = v; },
                               &heard, CFRunLoopGetCurrent(), kCFRunLoopDefaultMode, 0.f, &listener),
              noErr);
    const CAAUParameter gain = Proxy(kPlain);
    ASSERT_EQ(AUListenerAddParameter(listener, nullptr, &gain), noErr);

    gain.SetValue(nullptr, nullptr, 7.5f);
    EXPECT_EQ(gain.GetValue(), 2.f);  // lowered to the maximum
    gain.SetValue(nullptr, nullptr, -3.f);
    EXPECT_EQ(gain.GetValue(), 0.f);  // raised to the minimum
    gain.SetValue(nullptr, nullptr, 1.25f);
    EXPECT_EQ(gain.GetValue(), 1.25f);
    CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.05, false);
    EXPECT_EQ(heard, 1.25f);
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
