// Owned array of elements that also carries stream settings.
#pragma once

#include <ZADovuzIdida/_VozIdavi/Common/AudioIO.h>

#include <algorithm>
#include <stdexcept>

namespace ZADovuzIdida {

template <class T> class Buffer : public AudioIO
{
public:
    // Content undefined; a negative size is a length error.
    explicit Buffer(int size) : m_nSize(checkedSize(size)), m_pData(m_nSize > 0 ? new T[m_nSize] : nullptr) {}

    // A fresh copy of the elements; the settings are the defaults, not the source's.
    Buffer(const Buffer& other) : AudioIO(), m_nSize(other.m_nSize), m_pData(m_nSize > 0 ? new T[m_nSize] : nullptr)
    {
        std::copy(other.m_pData, other.m_pData + m_nSize, m_pData);
    }

    // Copies the elements; the settings stay as they were.
    Buffer& operator=(const Buffer& other)
    {
        if (this == &other)
            return *this;
        if (m_nSize != other.m_nSize) {
            T* pData = other.m_nSize > 0 ? new T[other.m_nSize] : nullptr;
            delete[] m_pData;
            m_pData = pData;
            m_nSize = other.m_nSize;
        }
        std::copy(other.m_pData, other.m_pData + m_nSize, m_pData);
        return *this;
    }

    ~Buffer() override { delete[] m_pData; }

    int size() const { return m_nSize; }
    T* data() { return m_pData; }
    const T* data() const { return m_pData; }

private:
    static int checkedSize(int size)
    {
        if (size < 0)
            throw std::length_error("Buffer: negative size");
        return size;
    }

    int m_nSize;
    T* m_pData;
};

} // namespace ZADovuzIdida
