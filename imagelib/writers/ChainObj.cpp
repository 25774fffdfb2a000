#include "ChainObj.h"

namespace corv {

void CChainObj::DeleteChain() {
    // Iterative, so a long chain cannot exhaust the stack.
    CChainObj *node = m_next;
    while (node) {
        CChainObj *next = node->m_next;
        node->m_next = nullptr;
        delete node;
        node = next;
    }
    m_next = nullptr;
    delete this;
}

int CChainObj::Count() const {
    int n = 0;
    for (const CChainObj *node = this; node; node = node->m_next)
        ++n;
    return n;
}

void CChainObj::Append(CChainObj *node) {
    CChainObj *last = this;
    while (last->m_next)
        last = last->m_next;
    last->m_next = node;
}

}  // namespace corv
