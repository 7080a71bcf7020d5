// The plug-ins of the bundle (stereo and mono) and their port layout: audio inputs, audio
// outputs, the time-position input, one control input per effect parameter in the order of
// the effect's parameter list, the enabled (bypass) switch, then the notify output for the UI.
#pragma once

#include <cstdint>
#include <string_view>

struct Lv2Variant {
    const char* uri;
    const char* name;
    uint32_t channels;
    // `channels` entries each.
    const char* const* inputSymbols;
    const char* const* inputNames;
    const char* const* outputSymbols;
    const char* const* outputNames;
    // The audio ports' port group: its class and each channel's designation in it.
    const char* groupType;
    const char* const* channelDesignations;

    uint32_t AudioInputPort(uint32_t channel) const { return channel; }
    uint32_t AudioOutputPort(uint32_t channel) const { return channels + channel; }
    uint32_t TimePort() const { return 2 * channels; }
    uint32_t FirstControlPort() const { return 2 * channels + 1; }
    uint32_t EnabledPort(uint32_t parameterCount) const { return FirstControlPort() + parameterCount; }
    uint32_t NotifyPort(uint32_t parameterCount) const { return EnabledPort(parameterCount) + 1; }
    uint32_t PortCount(uint32_t parameterCount) const { return NotifyPort(parameterCount) + 1; }

    static constexpr uint32_t kCount = 2;
    static const Lv2Variant& At(uint32_t index);  // index < kCount
    static const Lv2Variant* Find(std::string_view uri);
};

// The URI of the state property that carries the effect's class-info dictionary.
inline constexpr const char* kLv2ClassInfoKey = "urn:flummel:lv2:class-info";
// The symbol of the bypass switch (lv2:designation lv2:enabled).
inline constexpr const char* kLv2EnabledSymbol = "enabled";
// The symbol of the atom output that carries the display messages to the UI.
inline constexpr const char* kLv2NotifySymbol = "notify";
// The bundle's UI, the one flummel_ui.so describes.
inline constexpr const char* kLv2BundleUiUri = "urn:flummel:lv2:ui";
