/* The virtual camera link's frames on the camera side (see link_server.h). */
#include "link_server.h"

#include <algorithm>
#include <cstring>

#include "VokUsb01.h"

namespace rt70sim {

namespace {

constexpr size_t kMaxOpenLine = 64;

} // namespace

int LinkServer::openConnection() {
    const int id = next_++;
    connections_[id] = Connection{};
    return id;
}

void LinkServer::closeConnection(int connection) {
    connections_.erase(connection);
}

bool LinkServer::feed(int connection, const uint8_t* data, size_t length, Bytes& out) {
    auto it = connections_.find(connection);
    if (it == connections_.end())
        return false;
    while (length > 0) {
        if (!step(it->second, data, length, out))
            return false;
    }
    return true;
}

/* Consumes some bytes of the connection's stream; false ends the connection. */
bool LinkServer::step(Connection& c, const uint8_t*& data, size_t& length, Bytes& out) {
    auto take = [&](size_t want) {
        const size_t n = std::min(want - c.buffer.size(), length);
        c.buffer.insert(c.buffer.end(), data, data + n);
        data += n;
        length -= n;
        return c.buffer.size() == want;
    };
    switch (c.role) {
    case Role::Opening: {
        const uint8_t* nl = static_cast<const uint8_t*>(std::memchr(data, '\n', length));
        const size_t n = nl ? static_cast<size_t>(nl - data) : length;
        c.buffer.insert(c.buffer.end(), data, data + n);
        data += n;
        length -= n;
        if (c.buffer.size() > kMaxOpenLine) {
            out.push_back(0);
            return false;
        }
        if (!nl)
            return true;
        ++data; // the line break
        --length;
        const std::string name(c.buffer.begin(), c.buffer.end());
        c.buffer.clear();
        const bool known = name == "DEV" || name == "PIPE00" || name == "PIPE01";
        if (!known || refusedNames.count(name)) {
            out.push_back(0);
            return false;
        }
        out.push_back(1);
        c.role = name == "DEV" ? Role::Device : name == "PIPE00" ? Role::PipeOut : Role::PipeIn;
        return true;
    }
    case Role::Device: {
        // u32 code, u16 input length, u16 output length, then the input bytes.
        const size_t head = 8;
        if (c.buffer.size() < head) {
            take(head);
            if (c.buffer.size() < head)
                return true;
        }
        const uint16_t inLength = GetLe16(&c.buffer[4]);
        if (!take(head + inLength))
            return true;
        control(GetLe32(&c.buffer[0]), GetLe16(&c.buffer[6]), out);
        c.buffer.clear();
        return true;
    }
    case Role::PipeOut: {
        if (!c.inFrame) {
            if (!take(4))
                return true;
            c.frameLength = c.frameRemaining = GetLe32(c.buffer.data());
            c.buffer.clear();
            c.inFrame = true;
        }
        const size_t n = std::min<size_t>(c.frameRemaining, length);
        receiveRequestBytes(data, n);
        data += n;
        length -= n;
        c.frameRemaining -= static_cast<uint32_t>(n);
        if (c.frameRemaining == 0) {
            vokc::Append32(out, c.frameLength, false);
            c.inFrame = false;
        }
        return true;
    }
    case Role::PipeIn:
        if (!take(4))
            return true;
        readReply(GetLe32(c.buffer.data()), out);
        c.buffer.clear();
        return true;
    }
    return false;
}

void LinkServer::control(uint32_t code, uint16_t outLength, Bytes& out) {
    uint8_t status = 1;
    uint16_t value = 0;
    switch (code) {
    case VOKUSB_IOCTL_SET_BULK_WRITE_SIZE:
    case VOKUSB_IOCTL_PRE_BULK_READ:
    case VOKUSB_IOCTL_PRE_BULK_WRITE_RT70:
        break;
    case VOKUSB_IOCTL_GET_BULK_READ_SIZE:
        value = pending_ ? static_cast<uint16_t>(std::min<size_t>(pending_->size(), 0xFFFF)) : 0;
        break;
    case VOKUSB_IOCTL_GET_BUTTON_STATUS:
        value = camera_.button;
        break;
    case VOKUSB_IOCTL_PRE_BULK_READ_RT70:
        // The host writes a whole packet before it prepares a read; bytes of an
        // unfinished packet at this point are garbage and would swallow the next one.
        if (!request_.empty()) {
            request_.clear();
            pending_.reset();
        }
        status = pending_ ? 1 : 0;
        break;
    default:
        status = 0;
        break;
    }
    out.push_back(status);
    const size_t at = out.size();
    out.resize(at + outLength, 0);
    if (outLength >= 1)
        out[at] = static_cast<uint8_t>(value);
    if (outLength >= 2)
        out[at + 1] = static_cast<uint8_t>(value >> 8);
}

void LinkServer::readReply(uint32_t wanted, Bytes& out) {
    if (!pending_) {
        vokc::Append32(out, 0, false);
        return;
    }
    const size_t n = std::min<size_t>(wanted, pending_->size());
    vokc::Append32(out, static_cast<uint32_t>(n), false);
    out.insert(out.end(), pending_->begin(), pending_->begin() + static_cast<long>(n));
    if (n == pending_->size())
        pending_.reset(); // a read of the whole reply consumes it; a peek leaves it
}

void LinkServer::receiveRequestBytes(const uint8_t* data, size_t length) {
    while (length > 0) {
        if (request_.empty()) {
            requestLength_ = packetLength(data[0]);
            if (requestLength_ == 0) {
                // Not a packet type: skip the byte and look for the next packet start.
                ++data;
                --length;
                continue;
            }
        }
        const size_t n = std::min(requestLength_ - request_.size(), length);
        request_.insert(request_.end(), data, data + n);
        data += n;
        length -= n;
        if (request_.size() == requestLength_) {
            pending_ = handleRequest(camera_, request_.data(), request_.size());
            request_.clear();
        }
    }
}

} // namespace rt70sim
