#include "tbuffer.h"

#include <algorithm>
#include <cstring>

TBuffer::TBuffer(int size)
    : m_size(size > 0 ? size : DefaultSize)
    , m_data(new char[static_cast<std::size_t>(m_size)])
{}

int TBuffer::write(const char *data, int count)
{
    const int n = std::clamp(count, 0, m_size - m_writeCount);
    if (n > 0) {
        std::memcpy(m_data.get() + m_writeCount, data, static_cast<std::size_t>(n));
        m_writeCount += n;
    }
    return n;
}

const char *TBuffer::peek(int &count) const
{
    count = m_writeCount - m_readCount;
    return m_data.get() + m_readCount;
}

void TBuffer::remove(int n)
{
    m_readCount += std::clamp(n, 0, m_writeCount - m_readCount);
    if (m_readCount == m_writeCount) {
        m_readCount = 0;
        m_writeCount = 0;
    }
}
