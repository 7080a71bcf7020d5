// Component manager: registration of component entries, instances and their storage,
// and calls into an entry with a selector and a block of pointer-sized arguments.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <type_traits>

#include "platform/cf/MacTypes.h"

struct ComponentDescription {
    OSType componentType;
    OSType componentSubType;
    OSType componentManufacturer;
    UInt32 componentFlags;
    UInt32 componentFlagsMask;
};
static_assert(sizeof(ComponentDescription) == 20, "component description is 20 bytes");

struct ComponentRecord;
struct ComponentInstanceRecord;
typedef ComponentRecord* Component;
typedef ComponentInstanceRecord* ComponentInstance;
typedef SInt32 ComponentResult;

// The parameter block of one call: the arguments are stored last-first, so params[0]
// is the last argument of the selector's argument list.
constexpr int kMaxComponentParams = 8;
struct ComponentParameters {
    UInt8 flags;
    UInt8 paramSize;  // bytes of arguments: count x sizeof(intptr_t)
    SInt16 what;      // the selector
    intptr_t params[kMaxComponentParams];
};

// The entry: the parameter block and the object stored for the instance (null at open).
typedef ComponentResult (*ComponentRoutine)(ComponentParameters* params, void* storage);

enum : SInt16 {
    kComponentOpenSelect = -1,
    kComponentCloseSelect = -2,
    kComponentCanDoSelect = -3,
    kComponentVersionSelect = -4,
};

constexpr ComponentResult badComponentSelector = ComponentResult(0x80008002u);
constexpr OSErr invalidComponentID = -3000;

// Registration. A component is found by a description whose zero fields match anything.
Component RegisterComponent(const ComponentDescription& desc, ComponentRoutine entry, const char* name);
void UnregisterComponent(Component c);
Component FindNextComponent(Component previous, const ComponentDescription* looking);

// Instances. OpenAComponent calls the open selector; close calls the close selector and frees
// the instance.
OSErr OpenAComponent(Component c, ComponentInstance* out);
ComponentInstance OpenComponent(Component c);
OSErr CloseComponent(ComponentInstance ci);

void* GetComponentInstanceStorage(ComponentInstance ci);
void SetComponentInstanceStorage(ComponentInstance ci, void* storage);

// The description (and name, when the pointer is given) of the instance's component.
OSErr GetComponentInfo(ComponentInstance ci, ComponentDescription* desc, const char** name = nullptr);
OSErr GetComponentInfo(Component c, ComponentDescription* desc, const char** name = nullptr);
Component GetComponentOfInstance(ComponentInstance ci);

// A call through the entry: the arguments in call order, stored last-first in the block.
ComponentResult CallComponentWith(ComponentInstance ci, SInt16 selector, int count, const intptr_t* argsInCallOrder);
// A call through the entry with the block's arguments given as they are stored: `size` bytes,
// a whole number of pointer-sized slots.
ComponentResult CallComponentWithPayload(ComponentInstance ci, SInt16 selector, const void* payload, size_t size);

// Argument packing: pointers, integers and floats each fill one pointer-sized slot.
template <typename T>
inline intptr_t ComponentArg(T* p) { return reinterpret_cast<intptr_t>(p); }
template <typename T>
inline intptr_t ComponentArg(const T* p) { return reinterpret_cast<intptr_t>(p); }
inline intptr_t ComponentArg(std::nullptr_t) { return 0; }
inline intptr_t ComponentArg(int v) { return intptr_t(v); }
inline intptr_t ComponentArg(UInt32 v) { return intptr_t(v); }
inline intptr_t ComponentArg(SInt16 v) { return intptr_t(v); }
inline intptr_t ComponentArg(UInt64 v) { return intptr_t(v); }
intptr_t ComponentArg(Float32 v);
Float32 ComponentArgFloat(intptr_t slot);

// Reading the i-th argument (in call order) of a block.
inline intptr_t ComponentParam(const ComponentParameters* p, int i)
{
    const int count = p->paramSize / int(sizeof(intptr_t));
    return p->params[count - 1 - i];
}
inline int ComponentParamCount(const ComponentParameters* p) { return p->paramSize / int(sizeof(intptr_t)); }

// Argument records: a struct whose fields are a selector's arguments in the order the block stores
// them (last argument first), each starting its own pointer-sized slot, is the block's payload as it
// is. A 32-bit field sits in the low half of its slot, so a record read and a read by position of
// the same block agree.
template <typename Record>
constexpr bool kIsComponentArgRecord = std::is_trivially_copyable_v<Record> && std::is_standard_layout_v<Record> &&
                                       sizeof(Record) % sizeof(intptr_t) == 0 &&
                                       sizeof(Record) <= sizeof(ComponentParameters::params);
static_assert(std::endian::native == std::endian::little, "argument records keep 32-bit fields in the low half");

template <typename Record>
ComponentResult CallComponentRecord(ComponentInstance ci, SInt16 selector, const Record& args)
{
    static_assert(kIsComponentArgRecord<Record>, "not a record of pointer-sized slots");
    return CallComponentWithPayload(ci, selector, &args, sizeof args);
}

// The block's record; none when the block holds fewer bytes than the record, whose other slots
// the caller never filled in.
template <typename Record>
std::optional<Record> ComponentParamRecord(const ComponentParameters* p)
{
    static_assert(kIsComponentArgRecord<Record>, "not a record of pointer-sized slots");
    if (p->paramSize < sizeof(Record)) return std::nullopt;
    Record args;
    std::memcpy(&args, p->params, sizeof args);
    return args;
}

template <typename... Args>
ComponentResult CallComponent(ComponentInstance ci, SInt16 selector, Args... args)
{
    static_assert(sizeof...(Args) <= kMaxComponentParams, "too many component arguments");
    const intptr_t a[sizeof...(Args) + 1] = {ComponentArg(args)..., 0};
    return CallComponentWith(ci, selector, int(sizeof...(Args)), a);
}
