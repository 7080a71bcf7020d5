// The live data the editor's displays show, as one atom message from the plug-in to its UI:
// an atom:Object of otype urn:flummel:lv2:display with
//   urn:flummel:lv2:data-to-gui  atom:Chunk of the 24-byte DataToGui block
//   urn:flummel:lv2:overview     atom:Vector of 512 atom:Float, (lower_k, upper_k) for k = 0..255
// Writing never allocates (the audio thread sends it); reading checks every size, type and value.
// The other way, the editor says it is showing with an atom:Object of otype
// urn:flummel:lv2:showing and no properties, written to the plug-in's control port.
#pragma once

#include <atomic>
#include <cstdint>

#include <lv2/atom/forge.h>
#include <lv2/urid/urid.h>

#include "engine/FlummelShared.h"

inline constexpr const char* kLv2DisplayUri = "urn:flummel:lv2:display";
inline constexpr const char* kLv2DataToGuiUri = "urn:flummel:lv2:data-to-gui";
inline constexpr const char* kLv2OverviewUri = "urn:flummel:lv2:overview";
inline constexpr const char* kLv2ShowingUri = "urn:flummel:lv2:showing";

class Lv2DisplayMessage {
public:
    static constexpr uint32_t kOverviewValues = 2 * kSampleOverviewEntries;
    // Bytes one message takes in an atom sequence: event header (frames, atom header), object
    // body, the block's property, the overview's property.
    static constexpr uint32_t kEventSize = 16 + 8 + (16 + 24) + (16 + 8 + 4 * kOverviewValues);

    Lv2DisplayMessage() = default;
    explicit Lv2DisplayMessage(const LV2_URID_Map* map);

    bool Mapped() const { return mDisplay != 0; }

    // Appends one event at `frames` to the sequence the forge is writing. `overview` is the
    // engine's 1024 floats (k, lower_k, k, upper_k). False, with nothing written, when the
    // forge's buffer has less than kEventSize bytes left.
    bool Write(LV2_Atom_Forge* forge, int64_t frames, const DataToGui& data,
               const std::atomic<float>* overview) const;

    // Fills `data` and the lower/upper values of `overview` (1024 floats, the k slots set to k)
    // from a message; leaves both untouched and returns false for anything else or anything
    // malformed. `atom` must be followed in memory by atom->size bytes of body.
    bool Read(const LV2_Atom* atom, DataToGui& data, std::atomic<float>* overview) const;

    // The editor's message that it is showing, and whether an atom (followed in memory by its
    // body) is one.
    LV2_Atom_Object Showing() const;
    bool IsShowing(const LV2_Atom* atom) const;

private:
    LV2_URID mAtomObject = 0;
    LV2_URID mAtomBlank = 0;
    LV2_URID mAtomChunk = 0;
    LV2_URID mAtomVector = 0;
    LV2_URID mAtomFloat = 0;
    LV2_URID mDisplay = 0;
    LV2_URID mDataToGui = 0;
    LV2_URID mOverview = 0;
    LV2_URID mShowing = 0;

    // The object's otype, or 0 for anything that is not an object.
    LV2_URID ObjectType(const LV2_Atom* atom) const;
};
