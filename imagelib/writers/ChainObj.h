#pragma once
// CChainObj: a node of a singly linked list that owns the nodes after it
// once DeleteChain is called on the head.
namespace corv {

class CChainObj {
public:
    CChainObj() = default;
    virtual ~CChainObj() = default;
    CChainObj(const CChainObj &) = delete;
    CChainObj &operator=(const CChainObj &) = delete;

    // Deletes every node after this one, then this one.
    virtual void DeleteChain();
    virtual int Count() const;
    virtual void Append(CChainObj *node);
    virtual CChainObj *Next() const { return m_next; }

    void SetNext(CChainObj *node) { m_next = node; }

private:
    CChainObj *m_next = nullptr;
};

}  // namespace corv
