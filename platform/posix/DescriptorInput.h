#pragma once

#include <streambuf>

// A descriptor read as a stream that waits for its input: one left
// non-blocking (by a program that shares it, or by the one before) answers
// "nothing yet" to a read, which would otherwise read as its end.
class CDescriptorInput : public std::streambuf {
public:
    explicit CDescriptorInput(int fd) : m_fd(fd) {}

protected:
    int_type underflow() override;

private:
    static constexpr std::size_t kBufferSize = 4096;

    int m_fd;
    char m_buffer[kBufferSize];
};
