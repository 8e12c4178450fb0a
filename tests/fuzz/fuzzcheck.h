// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A property that must hold for every input; a violation ends the run so the input is kept.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);    \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

// Reads bytes off the front of an input: the choices that drive a target.
class InputReader
{
public:
    InputReader(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}

    std::uint8_t byte()
    {
        if (m_pos >= m_size)
            return 0;
        return m_data[m_pos++];
    }
    // Up to length bytes, fewer at the end of the input.
    const char *take(std::size_t &length)
    {
        length = length < m_size - m_pos ? length : m_size - m_pos;
        const char *start = reinterpret_cast<const char *>(m_data + m_pos);
        m_pos += length;
        return start;
    }
    const char *rest(std::size_t &length)
    {
        length = m_size - m_pos;
        return take(length);
    }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};
