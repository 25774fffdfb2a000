#pragma once
// DList: a doubly linked list of DObject pointers with a cursor, appended at
// the tail and sortable by a comparison function. An owning list deletes
// its elements with itself.
#include "DObject.h"

#include <cstddef>

namespace corv {

class DNode {
public:
    explicit DNode(DObject *element) : Element(element) {}

    DObject *Element;
    DNode *Prev = nullptr;
    DNode *Next = nullptr;
};

class DList : public DObject {
public:
    // Negative, zero or positive as `a` sorts before, with or after `b`.
    using Compare = int (*)(const DObject *a, const DObject *b);

    explicit DList(bool owning) : m_owning(owning) {}
    ~DList() override;

    // Takes the element (an owning list deletes it even when the append
    // itself fails for want of memory).
    void Append(DObject *element);
    void Sort(Compare compare);
    void Clear();
    // Removes the last `count` elements and keeps the rest.
    void TruncateTo(size_t count);

    size_t Count() const { return m_count; }
    DNode *Head() const { return m_head; }
    DNode *Tail() const { return m_tail; }

    // The cursor: First() and Next() return the element under it, or nullptr
    // past the end.
    DObject *First();
    DObject *Next();

private:
    DNode *m_head = nullptr;
    DNode *m_tail = nullptr;
    DNode *m_cursor = nullptr;
    size_t m_count = 0;
    bool m_owning;
};

// Orders elements of type T by their `Number` field.
template <typename T>
int CompareByNumber(const DObject *a, const DObject *b) {
    const int x = static_cast<const T *>(a)->Number;
    const int y = static_cast<const T *>(b)->Number;
    return x < y ? -1 : x > y ? 1 : 0;
}

}  // namespace corv
