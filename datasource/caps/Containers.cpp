#include "Containers.h"

#include <cmath>
#include <cstddef>
#include <cstring>

#include "WinHandles.h"

namespace {

HGLOBAL Allocate(size_t bytes) {
    HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!h)
        throw CTwainFailure{TWCC_LOWMEMORY};
    return h;
}

// A container being built: zeroed, locked while it is filled, and freed
// unless handed out with Release().
class CNewContainer {
public:
    explicit CNewContainer(size_t bytes) : m_mem(Allocate(bytes)), m_lock(m_mem.Get()) {
        if (!m_lock)
            throw CTwainFailure{TWCC_LOWMEMORY};
    }
    template <typename T>
    T *As() const {
        return reinterpret_cast<T *>(m_lock.Get());
    }
    HGLOBAL Release() { return m_mem.Release(); }

private:
    CGlobalMem m_mem;
    CGlobalLock<TW_UINT8> m_lock;
};

// Small items sit at the start of their slot, the rest of a TW_UINT32 slot
// (as in TW_ONEVALUE.Item) stays zero.
void PutItem(TW_UINT8 *at, size_t size, TW_UINT32 value) {
    std::memcpy(at, &value, size < sizeof(value) ? size : sizeof(value));
}

void PutItems(TW_UINT8 *list, size_t size, const std::vector<TW_UINT32> &items) {
    for (size_t i = 0; i < items.size(); ++i)
        PutItem(list + i * size, size, items[i]);
}

TW_UINT32 GetItem(const TW_UINT8 *at, size_t size) {
    TW_UINT32 value = 0;
    std::memcpy(&value, at, size < sizeof(value) ? size : sizeof(value));
    return value;
}

size_t SmallItemSize(TW_UINT16 itemType) {
    size_t size = TwainItemSize(itemType);
    if (size > sizeof(TW_UINT32))
        throw CTwainFailure{TWCC_BADVALUE};
    return size;
}

// Locks an application's container and checks it holds `need` bytes.
template <typename T>
T *LockChecked(CGlobalLock<T> &lock, HGLOBAL h, size_t need) {
    if (!lock || ::GlobalSize(h) < need)
        throw CTwainFailure{TWCC_BADVALUE};
    return lock.Get();
}

}  // namespace

size_t TwainItemSize(TW_UINT16 itemType) {
    switch (itemType) {
        case TWTY_INT8:
        case TWTY_UINT8:
            return 1;
        case TWTY_INT16:
        case TWTY_UINT16:
        case TWTY_BOOL:
            return 2;
        case TWTY_INT32:
        case TWTY_UINT32:
        case TWTY_FIX32:
            return 4;
        case TWTY_FRAME:
            return sizeof(TW_FRAME);
        case TWTY_STR32:
            return sizeof(TW_STR32);
        case TWTY_STR64:
            return sizeof(TW_STR64);
        case TWTY_STR128:
            return sizeof(TW_STR128);
        case TWTY_STR255:
            return sizeof(TW_STR255);
        default:
            throw CTwainFailure{TWCC_BADVALUE};
    }
}

TW_FIX32 ToFix32(double value) {
    auto scaled = static_cast<TW_INT32>(std::lround(value * 65536.0));
    TW_FIX32 fix;
    fix.Whole = static_cast<TW_INT16>(scaled >> 16);
    fix.Frac = static_cast<TW_UINT16>(scaled & 0xffff);
    return fix;
}

double FromFix32(TW_FIX32 fix) {
    return fix.Whole + fix.Frac / 65536.0;
}

TW_UINT32 Fix32Bits(double value) {
    TW_FIX32 fix = ToFix32(value);
    TW_UINT32 bits;
    std::memcpy(&bits, &fix, sizeof(bits));
    return bits;
}

double Fix32BitsToDouble(TW_UINT32 bits) {
    TW_FIX32 fix;
    std::memcpy(&fix, &bits, sizeof(fix));
    return FromFix32(fix);
}

HGLOBAL MakeOneValue(TW_UINT16 itemType, TW_UINT32 value) {
    size_t size = SmallItemSize(itemType);
    CNewContainer c(sizeof(TW_ONEVALUE));
    auto *one = c.As<TW_ONEVALUE>();
    one->ItemType = itemType;
    PutItem(reinterpret_cast<TW_UINT8 *>(&one->Item), size, value);
    return c.Release();
}

HGLOBAL MakeEnumeration(TW_UINT16 itemType, const std::vector<TW_UINT32> &items,
                        TW_UINT32 currentIndex, TW_UINT32 defaultIndex) {
    size_t size = SmallItemSize(itemType);
    CNewContainer c(offsetof(TW_ENUMERATION, ItemList) + size * items.size());
    auto *e = c.As<TW_ENUMERATION>();
    e->ItemType = itemType;
    e->NumItems = static_cast<TW_UINT32>(items.size());
    e->CurrentIndex = currentIndex;
    e->DefaultIndex = defaultIndex;
    PutItems(e->ItemList, size, items);
    return c.Release();
}

HGLOBAL MakeRange(double minValue, double maxValue, double step, double defaultValue,
                  double currentValue) {
    CNewContainer c(sizeof(TW_RANGE));
    *c.As<TW_RANGE>() = TW_RANGE{TWTY_FIX32,      Fix32Bits(minValue),     Fix32Bits(maxValue),
                                 Fix32Bits(step), Fix32Bits(defaultValue), Fix32Bits(currentValue)};
    return c.Release();
}

HGLOBAL MakeArray(TW_UINT16 itemType, const std::vector<TW_UINT32> &items) {
    size_t size = SmallItemSize(itemType);
    CNewContainer c(offsetof(TW_ARRAY, ItemList) + size * items.size());
    auto *a = c.As<TW_ARRAY>();
    a->ItemType = itemType;
    a->NumItems = static_cast<TW_UINT32>(items.size());
    PutItems(a->ItemList, size, items);
    return c.Release();
}

HGLOBAL CopyContainer(HGLOBAL container) {
    CGlobalLock<const TW_UINT8> from(container);
    if (!from)
        throw CTwainFailure{TWCC_BADVALUE};
    size_t bytes = ::GlobalSize(container);
    CNewContainer c(bytes);
    std::memcpy(c.As<TW_UINT8>(), from.Get(), bytes);
    return c.Release();
}

TW_UINT32 ReadOneValue(HGLOBAL container, TW_UINT16 *itemType) {
    CGlobalLock<const TW_ONEVALUE> lock(container);
    const TW_ONEVALUE *one = LockChecked(lock, container, sizeof(TW_ONEVALUE));
    if (itemType)
        *itemType = one->ItemType;
    return GetItem(reinterpret_cast<const TW_UINT8 *>(&one->Item), SmallItemSize(one->ItemType));
}

EnumerationView ReadEnumeration(HGLOBAL container) {
    CGlobalLock<const TW_ENUMERATION> lock(container);
    const TW_ENUMERATION *e = LockChecked(lock, container, offsetof(TW_ENUMERATION, ItemList));
    EnumerationView view{e->ItemType, e->NumItems, e->CurrentIndex, e->DefaultIndex, {}};
    size_t size = SmallItemSize(e->ItemType);
    // The count comes from the application: the block must really hold it.
    if (view.numItems > (::GlobalSize(container) - offsetof(TW_ENUMERATION, ItemList)) / size)
        throw CTwainFailure{TWCC_BADVALUE};
    view.items.reserve(view.numItems);
    for (TW_UINT32 i = 0; i < view.numItems; ++i)
        view.items.push_back(GetItem(e->ItemList + i * size, size));
    return view;
}

TW_RANGE ReadRange(HGLOBAL container) {
    CGlobalLock<const TW_RANGE> lock(container);
    return *LockChecked(lock, container, sizeof(TW_RANGE));
}
