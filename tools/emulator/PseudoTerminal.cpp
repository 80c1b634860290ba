#include "PseudoTerminal.h"

#include "StopSignal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

PseudoTerminal::~PseudoTerminal() {
    close();
}

bool PseudoTerminal::open(QString* error) {
    auto fail = [this, error](const char* what) {
        *error = QStringLiteral("%1: %2").arg(QLatin1String(what),
                                              QString::fromLocal8Bit(std::strerror(errno)));
        close();
        return false;
    };
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0)
        return fail("posix_openpt");
    if (::grantpt(m_master) != 0)
        return fail("grantpt");
    if (::unlockpt(m_master) != 0)
        return fail("unlockpt");
    const char* name = ::ptsname(m_master);
    if (!name)
        return fail("ptsname");
    m_slavePath = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0)
        return fail("open slave");
    // Raw 8N1 at 9600 so no byte is translated or echoed by the line discipline,
    // even before the monitor sets the line up itself.
    termios tio = {};
    if (::tcgetattr(m_slave, &tio) != 0)
        return fail("tcgetattr");
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    if (::tcsetattr(m_slave, TCSANOW, &tio) != 0)
        return fail("tcsetattr");
    return true;
}

void PseudoTerminal::close() {
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = -1;
    m_slave = -1;
}

PseudoTerminal::ReadResult PseudoTerminal::readByte(std::uint8_t& b, int timeoutMs) {
    if (m_master < 0)
        return ReadResult::Closed;
    pollfd fds[2] = {{m_master, POLLIN, 0}, {StopSignal::fd(), POLLIN, 0}};
    for (;;) {
        if (StopSignal::raised())
            return ReadResult::Stopped;
        const int n = ::poll(fds, 2, timeoutMs);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return ReadResult::Closed;
        }
        if (StopSignal::raised())
            return ReadResult::Stopped;
        if (n == 0)
            return ReadResult::Timeout;
        if (fds[0].revents & POLLIN) {
            const ssize_t got = ::read(m_master, &b, 1);
            if (got == 1)
                return ReadResult::Byte;
            if (got < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            return ReadResult::Closed;
        }
        // Hang-up without data cannot happen while our own slave descriptor is open.
        if (fds[0].revents & (POLLERR | POLLNVAL | POLLHUP))
            return ReadResult::Closed;
    }
}

bool PseudoTerminal::writeByte(std::uint8_t b) {
    if (m_master < 0)
        return false;
    for (;;) {
        const ssize_t n = ::write(m_master, &b, 1);
        if (n == 1)
            return true;
        if (n < 0 && errno == EINTR)
            continue;
        return false;
    }
}
