/* The virtual camera link: every handle is one connection to a UNIX stream socket,
 * opened with a name line and answered with one byte; control requests, pipe writes
 * and pipe reads are small little-endian frames on it. */
#include "link.h"
#include "vok_bytes.h"
#include "vok_files.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace camlink {

namespace {

// Pipe names are short words; anything longer or with a line break cannot be framed.
constexpr size_t kMaxNameLength = 64;

/* Sets the last error for a failed socket call: a wait that ran out is a time-out,
 * everything else a broken link. */
void failIo() {
    setLastError((errno == EAGAIN || errno == EWOULDBLOCK) ? VOKUSB_ERR_TIMEOUT
                                                           : VOKUSB_ERR_GEN_FAILURE);
}

// A peer that went away fails the call instead of raising SIGPIPE.
ssize_t sendNoSignal(int fd, const void* data, size_t length) {
    return ::send(fd, data, length, MSG_NOSIGNAL);
}

bool sendAll(int fd, const void* data, size_t length) {
    if (vokc::WriteFull(fd, data, length, sendNoSignal))
        return true;
    failIo();
    return false;
}

bool recvAll(int fd, void* data, size_t length) {
    const ssize_t n = vokc::ReadFull(fd, data, length);
    if (n >= 0 && static_cast<size_t>(n) == length)
        return true;
    if (n >= 0)
        setLastError(VOKUSB_ERR_GEN_FAILURE); // the camera closed the connection
    else
        failIo();
    return false;
}

void setTimeouts(int fd) {
    const int ms = linkTimeoutMs();
    timeval tv{};
    tv.tv_sec = ms / 1000;
    tv.tv_usec = (ms % 1000) * 1000;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

bool validName(const char* name) {
    const size_t length = std::strlen(name);
    return length > 0 && length <= kMaxNameLength && std::strchr(name, '\n') == nullptr;
}

} // namespace

OpenResult simOpen(const char* socketPath, const char* name, LinkHandle* out) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (std::strlen(socketPath) >= sizeof addr.sun_path)
        return OpenResult::NoCamera;
    std::strcpy(addr.sun_path, socketPath);

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return OpenResult::NoCamera;
    const int rc = vokc::RetryOnEintr(
        [&] { return ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr); });
    if (rc < 0) {
        ::close(fd);
        return OpenResult::NoCamera;
    }
    setTimeouts(fd);

    if (!validName(name)) {
        ::close(fd);
        return OpenResult::Refused;
    }
    char line[kMaxNameLength + 2];
    const size_t length = std::strlen(name);
    std::memcpy(line, name, length);
    line[length] = '\n';
    uint8_t answer = 0;
    if (!sendAll(fd, line, length + 1) || !recvAll(fd, &answer, 1) || answer != 1) {
        ::close(fd);
        return OpenResult::Refused;
    }
    out->sim = true;
    out->fd = fd;
    return OpenResult::Ok;
}

bool simControl(const LinkHandle& h, uint32_t code, const uint8_t* in, uint16_t inLength,
                uint8_t* out, uint16_t outLength) {
    uint8_t head[8];
    vokc::PutLe32(head, code);
    head[4] = static_cast<uint8_t>(inLength);
    head[5] = static_cast<uint8_t>(inLength >> 8);
    head[6] = static_cast<uint8_t>(outLength);
    head[7] = static_cast<uint8_t>(outLength >> 8);
    if (!sendAll(h.fd, head, sizeof head) || !sendAll(h.fd, in, inLength))
        return false;
    uint8_t status = 0;
    if (!recvAll(h.fd, &status, 1) || !recvAll(h.fd, out, outLength))
        return false;
    if (status != 1) {
        setLastError(VOKUSB_ERR_GEN_FAILURE);
        return false;
    }
    return true;
}

bool simWrite(const LinkHandle& h, const void* data, uint32_t length, uint32_t* done) {
    uint8_t head[4];
    vokc::PutLe32(head, length);
    uint8_t answer[4];
    if (!sendAll(h.fd, head, sizeof head) || !sendAll(h.fd, data, length) ||
        !recvAll(h.fd, answer, sizeof answer))
        return false;
    const uint32_t accepted = vokc::GetLe32(answer);
    if (accepted > length) {
        setLastError(VOKUSB_ERR_GEN_FAILURE);
        return false;
    }
    *done = accepted;
    return true;
}

bool simRead(const LinkHandle& h, void* data, uint32_t length, uint32_t* done) {
    uint8_t head[4];
    vokc::PutLe32(head, length);
    uint8_t answer[4];
    if (!sendAll(h.fd, head, sizeof head) || !recvAll(h.fd, answer, sizeof answer))
        return false;
    const uint32_t count = vokc::GetLe32(answer);
    if (count > length) {
        // More than asked for breaks the contract; the link is out of step, so give up on it.
        setLastError(VOKUSB_ERR_GEN_FAILURE);
        return false;
    }
    if (!recvAll(h.fd, data, count))
        return false;
    *done = count;
    return true;
}

void simClose(const LinkHandle& h) {
    if (h.fd >= 0)
        ::close(h.fd);
}

} // namespace camlink
