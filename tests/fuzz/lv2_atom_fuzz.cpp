// Arbitrary atoms into the LV2 plug-in's control (time-position) input and into the UI's reader
// of display messages. Byte 0 picks the target; the rest is one atom, header included, in a
// buffer of exactly its length, its size cut to the bytes that follow the header (a host never
// claims more than the buffer holds).
//   byte 0 even: the control port's sequence for a run of 1 + 8 * byte 1 frames (byte 1 is
//                taken off first); every message the notify port then holds must read back.
//   byte 0 odd:  an atom for Lv2DisplayMessage::Read.
// URIDs are fixed for the URIs below, 1 upwards in this order, so the seed corpus stays valid.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/time/time.h>

#include "engine/FlummelParameters.h"
#include "plugins/lv2/Lv2Descriptor.h"
#include "plugins/lv2/Lv2DisplayMessage.h"
#include "plugins/lv2/Lv2Variant.h"

namespace {

const char* const kFixedUris[] = {
    LV2_ATOM__Sequence,        // 1
    LV2_ATOM__Object,          // 2
    LV2_ATOM__Blank,           // 3
    LV2_ATOM__Float,           // 4
    LV2_ATOM__Double,          // 5
    LV2_ATOM__Int,             // 6
    LV2_ATOM__Long,            // 7
    LV2_ATOM__Chunk,           // 8
    LV2_ATOM__Vector,          // 9
    LV2_TIME__Position,        // 10
    LV2_TIME__beatsPerMinute,  // 11
    LV2_TIME__beat,            // 12
    LV2_TIME__speed,           // 13
    kLv2DisplayUri,            // 14
    kLv2DataToGuiUri,          // 15
    kLv2OverviewUri,           // 16
    kLv2ShowingUri,            // 17
};

std::vector<std::string>& Uris()
{
    static std::vector<std::string> uris(std::begin(kFixedUris), std::end(kFixedUris));
    return uris;
}

LV2_URID Map(LV2_URID_Map_Handle, const char* uri)
{
    std::vector<std::string>& uris = Uris();
    for (size_t i = 0; i < uris.size(); ++i)
        if (uris[i] == uri) return LV2_URID(i + 1);
    uris.emplace_back(uri);
    return LV2_URID(uris.size());
}

constexpr LV2_URID kSequence = 1, kChunk = 8;

LV2_URID_Map gMap{nullptr, Map};
const LV2_Feature gMapFeature{LV2_URID__map, &gMap};

constexpr uint32_t kMaxFrames = 1 + 8 * 255;

// Atoms of exactly `size` bytes on the heap, so reads past them are caught.
LV2_Atom* Copy(const uint8_t* bytes, size_t size)
{
    auto* atom = static_cast<LV2_Atom*>(std::malloc(size));
    std::memcpy(atom, bytes, size);
    atom->size = std::min<uint32_t>(atom->size, uint32_t(size - sizeof(LV2_Atom)));
    return atom;
}

// The stereo plug-in with its audio and notify ports connected; controls keep their defaults.
class Plugin {
public:
    static constexpr uint32_t kNotifyBytes = 16384;

    Plugin()
    {
        const LV2_Feature* features[] = {&gMapFeature, nullptr};
        mHandle = mDescriptor->instantiate(mDescriptor, 48000.0, "", features);
        if (!mHandle) std::abort();
        for (uint32_t c = 0; c < mVariant.channels; ++c) {
            for (uint32_t i = 0; i < kMaxFrames; ++i) mIn[c][i] = float((i * 37 + c * 11) % 64) / 32.f - 1.f;
            mDescriptor->connect_port(mHandle, mVariant.AudioInputPort(c), mIn[c]);
            mDescriptor->connect_port(mHandle, mVariant.AudioOutputPort(c), mOut[c]);
        }
        mDescriptor->connect_port(mHandle, mVariant.NotifyPort(kNumParams), mNotify);
        mDescriptor->activate(mHandle);
    }

    void Run(const LV2_Atom* control, uint32_t frames)
    {
        mDescriptor->connect_port(mHandle, mVariant.TimePort(), const_cast<LV2_Atom*>(control));
        LV2_Atom header{uint32_t(sizeof mNotify - sizeof(LV2_Atom)), kChunk};  // as hosts reset it
        std::memcpy(mNotify, &header, sizeof header);
        mDescriptor->run(mHandle, frames);
        mDescriptor->connect_port(mHandle, mVariant.TimePort(), nullptr);
    }

    const LV2_Atom_Sequence& Notify() const { return *reinterpret_cast<const LV2_Atom_Sequence*>(mNotify); }

private:
    const LV2_Descriptor* mDescriptor = Lv2Descriptor::At(0);
    const Lv2Variant& mVariant = Lv2Variant::At(0);
    LV2_Handle mHandle = nullptr;
    float mIn[2][kMaxFrames];
    float mOut[2][kMaxFrames];
    alignas(8) uint8_t mNotify[kNotifyBytes];
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    static Plugin plugin;
    static const Lv2DisplayMessage reader(&gMap);
    static std::atomic<float> overview[kSampleOverviewFloats];
    if (size < 1) return 0;
    const bool toPlugin = bytes[0] % 2 == 0;
    ++bytes, --size;
    uint32_t frames = 0;
    if (toPlugin) {
        if (size < 1) return 0;
        frames = 1 + 8 * uint32_t(bytes[0]);
        ++bytes, --size;
    }
    if (size < sizeof(LV2_Atom)) return 0;
    LV2_Atom* atom = Copy(bytes, size);
    DataToGui data{};
    if (toPlugin) {
        plugin.Run(atom, frames);
        const LV2_Atom_Sequence& notify = plugin.Notify();
        if (notify.atom.type != kSequence || notify.atom.size > Plugin::kNotifyBytes - sizeof(LV2_Atom)) __builtin_trap();
        LV2_ATOM_SEQUENCE_FOREACH (&notify, event)
            if (!reader.Read(&event->body, data, overview)) __builtin_trap();  // what the plug-in writes reads back
    } else {
        reader.Read(atom, data, overview);
    }
    std::free(atom);
    return 0;
}
