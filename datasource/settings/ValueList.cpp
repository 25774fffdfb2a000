#include "ValueList.h"

int32_t CValueList::DefaultIndex() const {
    for (const SValueEntry &e : m_entries) {
        if (e.isDefault) {
            return e.index;
        }
    }
    return 0;
}

int32_t CValueList::IndexToCode(int32_t index) const {
    for (const SValueEntry &e : m_entries) {
        if (e.index == index) {
            return e.code;
        }
    }
    return -1;
}

int32_t CValueList::CodeToIndex(int32_t code) const {
    for (const SValueEntry &e : m_entries) {
        if (e.code == code) {
            return e.index;
        }
    }
    return -1;
}
