#pragma once

#include <cstddef>
#include <memory>

// One block of the send queue. Bytes are written behind the write count and taken from the
// read count; once everything written has been taken, both counts return to 0 so the block
// is filled again from its start.
class TBuffer final {
public:
    static constexpr int DefaultSize = 1514;

    // A size of 0 or less takes DefaultSize.
    explicit TBuffer(int size = DefaultSize);
    TBuffer(const TBuffer &) = delete;
    TBuffer &operator=(const TBuffer &) = delete;

    int size() const { return m_size; }

    // Copies as many of the bytes as fit behind the write count; returns how many.
    int write(const char *data, int count);

    // The unread bytes, from the read count up to the write count.
    const char *peek(int &count) const;

    // Takes n unread bytes (at most all of them).
    void remove(int n);

    bool isEmpty() const { return m_readCount == m_writeCount; }
    bool isFull() const { return m_writeCount == m_size; }

private:
    int m_size;
    std::unique_ptr<char[]> m_data;
    int m_writeCount = 0;
    int m_readCount = 0;
};
