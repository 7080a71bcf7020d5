#include "platform/cf/CFData.h"

#include <cstring>
#include <vector>

#include "platform/cf/CFObject.h"

namespace {

struct DataObject : CFObject {
    DataObject(const UInt8* b, size_t n, bool isMutable) : CFObject(kCFTypeIDData), bytes(b, b + n), mutable_(isMutable) {}
    bool Equals(const CFObject& o) const override { return bytes == static_cast<const DataObject&>(o).bytes; }
    CFHashCode Hash() const override
    {
        CFHashCode h = bytes.size();
        for (size_t i = 0; i < bytes.size() && i < 64; ++i) h = h * 31 + bytes[i];
        return h;
    }
    std::vector<UInt8> bytes;
    bool mutable_;
};

DataObject* AsData(CFDataRef d) { return CFCast<DataObject>(d, kCFTypeIDData); }
DataObject* AsMutableData(CFMutableDataRef d)
{
    DataObject* o = CFCast<DataObject>(d, kCFTypeIDData);
    return o && o->mutable_ ? o : nullptr;
}

}  // namespace

CFTypeID CFDataGetTypeID() { return kCFTypeIDData; }

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8* bytes, CFIndex length)
{
    if (length < 0 || (!bytes && length)) return nullptr;
    return reinterpret_cast<CFDataRef>(new DataObject(bytes, size_t(length), false));
}

CFMutableDataRef CFDataCreateMutable(CFAllocatorRef, CFIndex)
{
    return reinterpret_cast<CFMutableDataRef>(new DataObject(nullptr, 0, true));
}

CFMutableDataRef CFDataCreateMutableCopy(CFAllocatorRef, CFIndex, CFDataRef data)
{
    DataObject* o = AsData(data);
    if (!o) return nullptr;
    return reinterpret_cast<CFMutableDataRef>(new DataObject(o->bytes.data(), o->bytes.size(), true));
}

CFIndex CFDataGetLength(CFDataRef data)
{
    DataObject* o = AsData(data);
    return o ? CFIndex(o->bytes.size()) : 0;
}

const UInt8* CFDataGetBytePtr(CFDataRef data)
{
    DataObject* o = AsData(data);
    return o ? o->bytes.data() : nullptr;
}

UInt8* CFDataGetMutableBytePtr(CFMutableDataRef data)
{
    DataObject* o = AsMutableData(data);
    return o ? o->bytes.data() : nullptr;
}

void CFDataAppendBytes(CFMutableDataRef data, const UInt8* bytes, CFIndex length)
{
    DataObject* o = AsMutableData(data);
    if (o && bytes && length > 0) o->bytes.insert(o->bytes.end(), bytes, bytes + length);
}

void CFDataSetLength(CFMutableDataRef data, CFIndex length)
{
    if (DataObject* o = AsMutableData(data); o && length >= 0) o->bytes.resize(size_t(length), 0);
}
