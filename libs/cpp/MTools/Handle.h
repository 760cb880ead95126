// Reference-counted handle that shares one heap object among several owners.
#pragma once

#include <MTools/Error.h>

#include <atomic>

namespace MTools {

template <class T> class Handle
{
public:
    Handle() : m_pBody(nullptr) {}

    // Takes ownership of a heap object; a null pointer gives an empty handle.
    explicit Handle(T* pObject) : m_pBody(pObject ? new Body(pObject) : nullptr) {}

    Handle(const Handle& other) : m_pBody(other.m_pBody)
    {
        if (m_pBody)
            ++m_pBody->m_nCount;
    }

    ~Handle() { release(); }

    // The other body gains its owner before ours is released, so self-assignment is safe.
    Handle& operator=(const Handle& other)
    {
        Body* pOther = other.m_pBody;
        if (pOther)
            ++pOther->m_nCount;
        release();
        m_pBody = pOther;
        return *this;
    }

    bool isNull() const { return m_pBody == nullptr; }

    // Throws MTools::Error("Null handle") when the handle is empty.
    T* operator->() const { return body()->m_pObject; }
    T& operator*() const { return *body()->m_pObject; }

private:
    struct Body
    {
        explicit Body(T* pObject) : m_nCount(1), m_pObject(pObject) {}
        std::atomic<long long> m_nCount;
        T* m_pObject;
    };

    Body* body() const
    {
        if (!m_pBody)
            throw Error("Null handle");
        return m_pBody;
    }

    void release()
    {
        if (m_pBody && --m_pBody->m_nCount == 0) {
            delete m_pBody->m_pObject;
            delete m_pBody;
        }
        m_pBody = nullptr;
    }

    Body* m_pBody;
};

} // namespace MTools
