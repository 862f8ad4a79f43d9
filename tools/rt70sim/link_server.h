/* The camera's side of the virtual camera link, free of sockets: connections are fed
 * the bytes the host sent and give back the bytes to answer. Request bytes from every
 * write pipe connection are joined into packets; one reply at a time is pending. */
#ifndef RT70SIM_LINK_SERVER_H
#define RT70SIM_LINK_SERVER_H

#include "camera.h"
#include "packet.h"

#include <map>
#include <optional>
#include <set>
#include <string>

namespace rt70sim {

class LinkServer {
  public:
    explicit LinkServer(Camera& camera) : camera_(camera) {}

    /* Open names answered with 0 (e.g. "PIPE00"), besides every unknown name. */
    std::set<std::string> refusedNames;

    int openConnection();
    /* Feeds bytes from the host into a connection and appends the answer bytes to out.
     * Returns false when the connection is to be closed once out has been sent. */
    bool feed(int connection, const uint8_t* data, size_t length, Bytes& out);
    void closeConnection(int connection);

    bool replyPending() const { return pending_.has_value(); }
    const Bytes* pendingReply() const { return pending_ ? &*pending_ : nullptr; }
    /* Request bytes received toward an unfinished packet. */
    size_t partialRequestBytes() const { return request_.size(); }

    /* Feeds request bytes as if they came through the write pipe. */
    void receiveRequestBytes(const uint8_t* data, size_t length);

  private:
    enum class Role { Opening, Device, PipeOut, PipeIn };
    struct Connection {
        Role role = Role::Opening;
        Bytes buffer;                // unparsed bytes of the current frame head
        uint32_t frameRemaining = 0; // PIPE00: bytes of the current write still to come
        uint32_t frameLength = 0;
        bool inFrame = false;
    };

    bool step(Connection& c, const uint8_t*& data, size_t& length, Bytes& out);
    void control(uint32_t code, uint16_t outLength, Bytes& out);
    void readReply(uint32_t wanted, Bytes& out);

    Camera& camera_;
    std::map<int, Connection> connections_;
    int next_ = 1;
    Bytes request_;
    size_t requestLength_ = 0;
    std::optional<Bytes> pending_;
};

} // namespace rt70sim

#endif
