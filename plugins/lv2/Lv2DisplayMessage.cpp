#include "plugins/lv2/Lv2DisplayMessage.h"

#include <cmath>
#include <cstring>

#include <lv2/atom/atom.h>

Lv2DisplayMessage::Lv2DisplayMessage(const LV2_URID_Map* map)
{
    if (!map) return;
    auto m = [map](const char* uri) { return map->map(map->handle, uri); };
    mAtomObject = m(LV2_ATOM__Object);
    mAtomBlank = m(LV2_ATOM__Blank);
    mAtomChunk = m(LV2_ATOM__Chunk);
    mAtomVector = m(LV2_ATOM__Vector);
    mAtomFloat = m(LV2_ATOM__Float);
    mDisplay = m(kLv2DisplayUri);
    mDataToGui = m(kLv2DataToGuiUri);
    mOverview = m(kLv2OverviewUri);
    mShowing = m(kLv2ShowingUri);
}

bool Lv2DisplayMessage::Write(LV2_Atom_Forge* forge, int64_t frames, const DataToGui& data,
                              const std::atomic<float>* overview) const
{
    if (!Mapped()) return false;
    if (!forge->sink && forge->size - forge->offset < kEventSize) return false;
    float values[kOverviewValues];
    for (int k = 0; k < kSampleOverviewEntries; ++k) {
        values[2 * k] = overview[4 * k + 1].load(std::memory_order_relaxed);
        values[2 * k + 1] = overview[4 * k + 3].load(std::memory_order_relaxed);
    }
    if (!lv2_atom_forge_frame_time(forge, frames)) return false;
    LV2_Atom_Forge_Frame frame;
    if (!lv2_atom_forge_object(forge, &frame, 0, mDisplay)) return false;
    bool ok = lv2_atom_forge_key(forge, mDataToGui) && lv2_atom_forge_atom(forge, sizeof data, mAtomChunk) &&
              lv2_atom_forge_write(forge, &data, sizeof data) && lv2_atom_forge_key(forge, mOverview) &&
              lv2_atom_forge_vector(forge, sizeof(float), mAtomFloat, kOverviewValues, values);
    lv2_atom_forge_pop(forge, &frame);
    return ok;
}

namespace {

bool Finite(float v) { return std::isfinite(v); }

}  // namespace

bool Lv2DisplayMessage::Read(const LV2_Atom* atom, DataToGui& data, std::atomic<float>* overview) const
{
    if (ObjectType(atom) != mDisplay) return false;
    const auto* object = reinterpret_cast<const LV2_Atom_Object*>(atom);

    DataToGui block;
    float values[kOverviewValues];
    bool haveBlock = false, haveValues = false;
    const auto* base = reinterpret_cast<const uint8_t*>(&object->body);
    uint32_t offset = sizeof(LV2_Atom_Object_Body);
    while (offset < atom->size) {
        if (atom->size - offset < sizeof(LV2_Atom_Property_Body)) return false;
        LV2_Atom_Property_Body property;
        std::memcpy(&property, base + offset, sizeof property);
        const uint32_t valueStart = offset + uint32_t(sizeof property);
        if (property.value.size > atom->size - valueStart) return false;
        const uint8_t* body = base + valueStart;
        if (property.key == mDataToGui) {
            if (property.value.type != mAtomChunk || property.value.size != sizeof block) return false;
            std::memcpy(&block, body, sizeof block);
            if (!Finite(block.headPosition) || !Finite(block.delayPhase) || !Finite(block.lfoPhase)) return false;
            haveBlock = true;
        } else if (property.key == mOverview) {
            LV2_Atom_Vector_Body head;
            if (property.value.type != mAtomVector || property.value.size != sizeof head + sizeof values) return false;
            std::memcpy(&head, body, sizeof head);
            if (head.child_type != mAtomFloat || head.child_size != sizeof(float)) return false;
            std::memcpy(values, body + sizeof head, sizeof values);
            for (float v : values)
                if (!Finite(v)) return false;
            haveValues = true;
        }
        // Unknown keys are skipped; the next property starts at the padded end of this one.
        const uint64_t next = uint64_t(valueStart) + lv2_atom_pad_size(property.value.size);
        if (next > atom->size) break;
        offset = uint32_t(next);
    }
    if (!haveBlock || !haveValues) return false;

    data = block;
    for (int k = 0; k < kSampleOverviewEntries; ++k) {
        overview[4 * k + 0].store(float(k), std::memory_order_relaxed);
        overview[4 * k + 1].store(values[2 * k], std::memory_order_relaxed);
        overview[4 * k + 2].store(float(k), std::memory_order_relaxed);
        overview[4 * k + 3].store(values[2 * k + 1], std::memory_order_relaxed);
    }
    return true;
}

LV2_Atom_Object Lv2DisplayMessage::Showing() const
{
    return LV2_Atom_Object{{uint32_t(sizeof(LV2_Atom_Object_Body)), mAtomObject}, {0, mShowing}};
}

bool Lv2DisplayMessage::IsShowing(const LV2_Atom* atom) const { return ObjectType(atom) == mShowing; }

LV2_URID Lv2DisplayMessage::ObjectType(const LV2_Atom* atom) const
{
    if (!Mapped() || !atom || (atom->type != mAtomObject && atom->type != mAtomBlank) ||
        atom->size < sizeof(LV2_Atom_Object_Body))
        return 0;
    return reinterpret_cast<const LV2_Atom_Object*>(atom)->body.otype;
}
