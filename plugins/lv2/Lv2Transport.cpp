#include "plugins/lv2/Lv2Transport.h"

#include <cmath>
#include <cstring>

#include <lv2/atom/util.h>

namespace {

template <typename T>
bool Read(const LV2_Atom& atom, double& out)
{
    if (atom.size < sizeof(T)) return false;
    T value;
    std::memcpy(&value, LV2_ATOM_BODY_CONST(&atom), sizeof value);
    out = double(value);
    return true;
}

// The value of a numeric atom; false for any other atom and for infinities and NaN.
bool Number(const LV2_Atom& atom, const Lv2Uris& uris, double& out)
{
    bool numeric = false;
    if (atom.type == uris.atomFloat)
        numeric = Read<float>(atom, out);
    else if (atom.type == uris.atomDouble)
        numeric = Read<double>(atom, out);
    else if (atom.type == uris.atomInt)
        numeric = Read<int32_t>(atom, out);
    else if (atom.type == uris.atomLong)
        numeric = Read<int64_t>(atom, out);
    return numeric && std::isfinite(out);
}

}  // namespace

void Lv2Transport::Read(const LV2_Atom& atom, const Lv2Uris& uris)
{
    if (!uris.Mapped() || (atom.type != uris.atomObject && atom.type != uris.atomBlank) ||
        atom.size < sizeof(LV2_Atom_Object_Body))
        return;
    const auto& object = reinterpret_cast<const LV2_Atom_Object&>(atom);
    if (object.body.otype != uris.timePosition) return;
    const auto* end = static_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(&atom)) + atom.size;
    for (const LV2_Atom_Property_Body* p = lv2_atom_object_begin(&object.body);
         !lv2_atom_object_is_end(&object.body, atom.size, p); p = lv2_atom_object_next(p)) {
        const auto* property = reinterpret_cast<const uint8_t*>(p);
        if (size_t(end - property) < sizeof(LV2_Atom_Property_Body) ||
            p->value.size > size_t(end - property) - sizeof(LV2_Atom_Property_Body))
            return;
        double v = 0;
        if (!Number(p->value, uris, v)) continue;
        if (p->key == uris.timeBeatsPerMinute)
            mTempo = v > 0 ? v : 0;
        else if (p->key == uris.timeBeat)
            mBeat = v;
        else if (p->key == uris.timeSpeed)
            mSpeed = v;
    }
}

void Lv2Transport::Advance(uint32_t frames)
{
    if (mTempo > 0) mBeat += double(frames) / mSampleRate * mTempo / 60.0 * mSpeed;
}

OSStatus Lv2Transport::BeatAndTempo(Float64* outBeat, Float64* outTempo) const
{
    if (!(mTempo > 0)) return kAudioUnitErr_NotHandled;
    if (outBeat) *outBeat = mBeat;
    if (outTempo) *outTempo = mTempo;
    return noErr;
}
