#include "platform/cf/CFNumber.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "platform/cf/CFObject.h"

namespace {

struct NumberObject : CFObject {
    NumberObject(CFNumberType t, bool isFloat, SInt64 i, double d)
        : CFObject(kCFTypeIDNumber), type(t), floating(isFloat), integer(i), real(d)
    {
    }
    bool Equals(const CFObject& o) const override
    {
        const auto& n = static_cast<const NumberObject&>(o);
        if (!floating && !n.floating) return integer == n.integer;
        return AsDouble() == n.AsDouble();
    }
    CFHashCode Hash() const override
    {
        const double d = AsDouble();
        if (d == std::floor(d) && std::fabs(d) < 9e18) return CFHashCode(SInt64(d));
        return std::hash<double>()(d);
    }
    std::string Describe() const override
    {
        if (!floating) return std::to_string(integer);
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.17g", real);
        return buf;
    }
    double AsDouble() const { return floating ? real : double(integer); }

    CFNumberType type;
    bool floating;
    SInt64 integer;
    double real;
};

struct BooleanObject : CFObject {
    explicit BooleanObject(bool v) : CFObject(kCFTypeIDBoolean, true), value(v) {}
    std::string Describe() const override { return value ? "true" : "false"; }
    bool value;
};

bool IsFloatType(CFNumberType t)
{
    return t == kCFNumberFloat32Type || t == kCFNumberFloat64Type || t == kCFNumberFloatType ||
           t == kCFNumberDoubleType;
}

// Converts an integer into the given integer type; false when it does not fit.
template <typename T>
bool StoreInt(SInt64 v, void* out)
{
    const T t = T(v);
    std::memcpy(out, &t, sizeof t);
    return SInt64(t) == v;
}

template <typename T>
bool StoreIntFromDouble(double d, void* out)
{
    bool exact = std::isfinite(d) && d == std::trunc(d) && d >= double(std::numeric_limits<T>::min()) &&
                 d <= double(std::numeric_limits<T>::max());
    T t = 0;
    if (std::isfinite(d)) {
        if (d >= double(std::numeric_limits<T>::max()))
            t = std::numeric_limits<T>::max();
        else if (d <= double(std::numeric_limits<T>::min()))
            t = std::numeric_limits<T>::min();
        else
            t = T(d);
    }
    std::memcpy(out, &t, sizeof t);
    return exact;
}

}  // namespace

const CFBooleanRef kCFBooleanTrue = reinterpret_cast<CFBooleanRef>(new BooleanObject(true));
const CFBooleanRef kCFBooleanFalse = reinterpret_cast<CFBooleanRef>(new BooleanObject(false));

CFTypeID CFBooleanGetTypeID() { return kCFTypeIDBoolean; }

Boolean CFBooleanGetValue(CFBooleanRef b)
{
    const auto* o = CFCast<const BooleanObject>(b, kCFTypeIDBoolean);
    return o && o->value;
}

CFTypeID CFNumberGetTypeID() { return kCFTypeIDNumber; }

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType type, const void* p)
{
    if (!p) return nullptr;
    SInt64 i = 0;
    double d = 0;
    bool isFloat = false;
    switch (type) {
    case kCFNumberSInt8Type: i = *static_cast<const SInt8*>(p); break;
    case kCFNumberSInt16Type: i = *static_cast<const SInt16*>(p); break;
    case kCFNumberSInt32Type:
    case kCFNumberIntType: i = *static_cast<const SInt32*>(p); break;
    case kCFNumberSInt64Type:
    case kCFNumberLongType: i = *static_cast<const SInt64*>(p); break;
    case kCFNumberFloat32Type:
    case kCFNumberFloatType: d = *static_cast<const float*>(p), isFloat = true; break;
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType: d = *static_cast<const double*>(p), isFloat = true; break;
    default: return nullptr;
    }
    return reinterpret_cast<CFNumberRef>(new NumberObject(type, isFloat, i, d));
}

CFNumberType CFNumberGetType(CFNumberRef n)
{
    const auto* o = CFCast<const NumberObject>(n, kCFTypeIDNumber);
    return o ? o->type : 0;
}

Boolean CFNumberIsFloatType(CFNumberRef n)
{
    const auto* o = CFCast<const NumberObject>(n, kCFTypeIDNumber);
    return o && o->floating;
}

Boolean CFNumberGetValue(CFNumberRef n, CFNumberType type, void* p)
{
    const auto* o = CFCast<const NumberObject>(n, kCFTypeIDNumber);
    if (!o || !p) return false;
    if (IsFloatType(type)) {
        const double d = o->AsDouble();
        if (type == kCFNumberFloat32Type || type == kCFNumberFloatType) {
            const float f = float(d);
            std::memcpy(p, &f, sizeof f);
            return std::isnan(d) || double(f) == d;
        }
        std::memcpy(p, &d, sizeof d);
        return o->floating || SInt64(d) == o->integer;
    }
    if (o->floating) {
        switch (type) {
        case kCFNumberSInt8Type: return StoreIntFromDouble<SInt8>(o->real, p);
        case kCFNumberSInt16Type: return StoreIntFromDouble<SInt16>(o->real, p);
        case kCFNumberSInt32Type:
        case kCFNumberIntType: return StoreIntFromDouble<SInt32>(o->real, p);
        case kCFNumberSInt64Type:
        case kCFNumberLongType: return StoreIntFromDouble<SInt64>(o->real, p);
        default: return false;
        }
    }
    switch (type) {
    case kCFNumberSInt8Type: return StoreInt<SInt8>(o->integer, p);
    case kCFNumberSInt16Type: return StoreInt<SInt16>(o->integer, p);
    case kCFNumberSInt32Type:
    case kCFNumberIntType: return StoreInt<SInt32>(o->integer, p);
    case kCFNumberSInt64Type:
    case kCFNumberLongType: return StoreInt<SInt64>(o->integer, p);
    default: return false;
    }
}
