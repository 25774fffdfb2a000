#include "DList.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace corv {

DList::~DList() {
    Clear();
}

void DList::Append(DObject *element) {
    std::unique_ptr<DObject> guard(m_owning ? element : nullptr);
    auto *node = new DNode(element);
    guard.release();
    node->Prev = m_tail;
    if (m_tail)
        m_tail->Next = node;
    else
        m_head = node;
    m_tail = node;
    ++m_count;
}

void DList::Sort(Compare compare) {
    if (m_count < 2)
        return;
    std::vector<DNode *> nodes;
    nodes.reserve(m_count);
    for (DNode *n = m_head; n; n = n->Next)
        nodes.push_back(n);
    std::stable_sort(nodes.begin(), nodes.end(), [compare](const DNode *a, const DNode *b) {
        return compare(a->Element, b->Element) < 0;
    });
    m_head = nodes.front();
    m_tail = nodes.back();
    for (size_t i = 0; i < nodes.size(); ++i) {
        nodes[i]->Prev = i ? nodes[i - 1] : nullptr;
        nodes[i]->Next = i + 1 < nodes.size() ? nodes[i + 1] : nullptr;
    }
    m_cursor = nullptr;
}

void DList::Clear() {
    DNode *n = m_head;
    while (n) {
        DNode *next = n->Next;
        if (m_owning)
            delete n->Element;
        delete n;
        n = next;
    }
    m_head = m_tail = m_cursor = nullptr;
    m_count = 0;
}

void DList::TruncateTo(size_t count) {
    while (m_count > count) {
        DNode *last = m_tail;
        m_tail = last->Prev;
        if (m_tail)
            m_tail->Next = nullptr;
        else
            m_head = nullptr;
        if (m_owning)
            delete last->Element;
        delete last;
        --m_count;
    }
    m_cursor = nullptr;
}

DObject *DList::First() {
    m_cursor = m_head;
    return m_cursor ? m_cursor->Element : nullptr;
}

DObject *DList::Next() {
    if (m_cursor)
        m_cursor = m_cursor->Next;
    return m_cursor ? m_cursor->Element : nullptr;
}

}  // namespace corv
