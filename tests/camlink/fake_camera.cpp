/* Implementation of the test server of the virtual camera link (see fake_camera.h). */
#include "fake_camera.h"
#include "vok_bytes.h"

#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

bool readAll(int fd, void* data, size_t n) {
    auto* p = static_cast<uint8_t*>(data);
    while (n > 0) {
        const ssize_t r = ::recv(fd, p, n, 0);
        if (r <= 0)
            return false;
        p += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

bool writeAll(int fd, const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (n > 0) {
        const ssize_t r = ::send(fd, p, n, MSG_NOSIGNAL);
        if (r <= 0)
            return false;
        p += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

} // namespace

FakeCamera::FakeCamera(const std::string& socketPath) : path_(socketPath) {
    listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path_.c_str(), sizeof addr.sun_path - 1);
    ::unlink(path_.c_str());
    ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(listener_, 8);
    thread_ = std::thread([this] { run(); });
}

FakeCamera::~FakeCamera() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
    ::unlink(path_.c_str());
}

void FakeCamera::setAccepted(const std::set<std::string>& names) {
    std::lock_guard<std::mutex> lock(mutex_);
    accepted_ = names;
}

std::vector<std::string> FakeCamera::openLines() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
}

std::vector<uint32_t> FakeCamera::controlCodes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return codes_;
}

void FakeCamera::run() {
    while (!stop_) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        const int fd = ::accept(listener_, nullptr, nullptr);
        if (fd < 0)
            continue;
        std::lock_guard<std::mutex> lock(mutex_);
        clients_.push_back(fd);
        workers_.emplace_back([this, fd] { serve(fd); });
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (int fd : clients_)
            ::shutdown(fd, SHUT_RDWR);
    }
    for (std::thread& t : workers_)
        t.join();
    for (int fd : clients_)
        ::close(fd);
}

void FakeCamera::serve(int fd) {
    std::string line;
    char c = 0;
    while (readAll(fd, &c, 1) && c != '\n')
        line += c;
    uint8_t answer = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.push_back(line);
        answer = accepted_.count(line) ? 1 : 0;
    }
    if (!writeAll(fd, &answer, 1) || !answer)
        return;
    for (;;) {
        if (line == "DEV") {
            uint8_t head[8];
            if (!readAll(fd, head, 8))
                return;
            const uint32_t code = vokc::GetLe32(head);
            const uint16_t inLength = head[4] | (head[5] << 8);
            const uint16_t outLength = head[6] | (head[7] << 8);
            std::vector<uint8_t> in(inLength), out(outLength, 0);
            if (!readAll(fd, in.data(), in.size()))
                return;
            uint8_t status = 1;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                codes_.push_back(code);
                if (code == 0x230030)
                    status = pending_.empty() ? 0 : 1;
                if (code == 0x23002C && outLength >= 2) {
                    out[0] = static_cast<uint8_t>(button & 0xFF);
                    out[1] = static_cast<uint8_t>(button >> 8);
                }
            }
            if (!writeAll(fd, &status, 1) || !writeAll(fd, out.data(), out.size()))
                return;
        } else if (line == "PIPE00") {
            uint8_t head[4];
            if (!readAll(fd, head, 4))
                return;
            std::vector<uint8_t> data(vokc::GetLe32(head));
            if (!readAll(fd, data.data(), data.size()))
                return;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                pending_ = data;
            }
            uint8_t count[4];
            vokc::PutLe32(count, static_cast<uint32_t>(data.size()));
            if (!writeAll(fd, count, 4))
                return;
        } else {
            uint8_t head[4];
            if (!readAll(fd, head, 4))
                return;
            const uint32_t wanted = vokc::GetLe32(head);
            std::vector<uint8_t> reply;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                const size_t n = std::min<size_t>(wanted, pending_.size());
                reply.assign(pending_.begin(), pending_.begin() + static_cast<long>(n));
                if (n == pending_.size())
                    pending_.clear();
            }
            if (oversizedRead)
                reply.resize(wanted + 8, 0xEE);
            uint8_t count[4];
            vokc::PutLe32(count, static_cast<uint32_t>(reply.size()));
            if (!writeAll(fd, count, 4) || !writeAll(fd, reply.data(), reply.size()))
                return;
        }
    }
}
