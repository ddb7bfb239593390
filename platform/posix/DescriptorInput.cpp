#include "platform/posix/DescriptorInput.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

CDescriptorInput::int_type CDescriptorInput::underflow() {
    for (;;) {
        const ssize_t got = read(m_fd, m_buffer, sizeof m_buffer);
        if (got > 0) {
            setg(m_buffer, m_buffer, m_buffer + got);
            return traits_type::to_int_type(m_buffer[0]);
        }
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd ready{m_fd, POLLIN, 0};
            poll(&ready, 1, -1);
        } else if (got == 0 || errno != EINTR) {
            return traits_type::eof();
        }
    }
}
