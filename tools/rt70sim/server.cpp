/* rt70sim's poll loop over the listening socket and its connections. */
#include "server.h"

#include "link_server.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace rt70sim {

namespace {

constexpr size_t kMaxQueued = 1 << 20;

volatile sig_atomic_t gStop = 0;
volatile sig_atomic_t gButton = 0;
int gWakeWrite = -1;

void onSignal(int sig) {
    const int saved = errno;
    if (sig == SIGINT || sig == SIGTERM)
        gStop = 1;
    else if (sig == SIGUSR1)
        gButton = 1;
    else if (sig == SIGUSR2)
        gButton = 2;
    if (gWakeWrite >= 0) {
        const char b = 1;
        (void)!::write(gWakeWrite, &b, 1);
    }
    errno = saved;
}

struct Client {
    int fd = -1;
    int id = 0;
    Bytes out;
    size_t sent = 0;
    bool closing = false;
};

bool makeAddress(const std::string& path, sockaddr_un* addr) {
    std::memset(addr, 0, sizeof *addr);
    addr->sun_family = AF_UNIX;
    if (path.size() >= sizeof addr->sun_path)
        return false;
    std::memcpy(addr->sun_path, path.c_str(), path.size());
    return true;
}

/* Clears a stale socket left by a camera that died; refuses to take a live one. */
bool clearOldSocket(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return true;
    if (!S_ISSOCK(st.st_mode)) {
        std::fprintf(stderr, "rt70sim: %s exists and is not a socket\n", path.c_str());
        return false;
    }
    sockaddr_un addr;
    makeAddress(path, &addr);
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool live =
        probe >= 0 && ::connect(probe, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    if (probe >= 0)
        ::close(probe);
    if (live) {
        std::fprintf(stderr, "rt70sim: another camera serves %s\n", path.c_str());
        return false;
    }
    ::unlink(path.c_str());
    return true;
}

/* Listens under a temporary name and renames it into place, so the socket appears only
 * once it accepts connections. */
int listenOn(const std::string& path) {
    const std::string temp = path + ".starting";
    sockaddr_un addr;
    if (!makeAddress(temp, &addr)) {
        std::fprintf(stderr, "rt70sim: socket path too long: %s\n", path.c_str());
        return -1;
    }
    ::unlink(temp.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(fd, 16) != 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "rt70sim: cannot listen on %s: %s\n", path.c_str(),
                     std::strerror(errno));
        if (fd >= 0)
            ::close(fd);
        ::unlink(temp.c_str());
        return -1;
    }
    return fd;
}

/* A number in the button file presses the button; the file is removed once read. */
void pollButtonFile(const std::string& path, Camera& camera, bool verbose) {
    if (path.empty())
        return;
    char text[32] = {};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0)
        return; // still being written
    char* end = nullptr;
    const long event = std::strtol(text, &end, 10);
    ::unlink(path.c_str());
    if (end == text || event < 0 || event > 0xFFFF)
        return;
    pressButton(camera, static_cast<uint16_t>(event));
    if (verbose)
        std::fprintf(stderr, "rt70sim: button event %ld\n", event);
}

} // namespace

int runServer(const SimOptions& options) {
    ::mkdir(options.cardPath.c_str(), 0755);
    Camera camera;
    initCamera(&camera, options.cardPath, options.camera);
    camera.faults = options.faults;
    camera.button = options.initialButton;
    if (options.verbose)
        camera.log = [](const std::string& text) {
            std::fprintf(stderr, "rt70sim: %s\n", text.c_str());
        };
    struct stat st {};
    if (::stat(options.cardPath.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        std::fprintf(stderr, "rt70sim: card folder %s cannot be used\n", options.cardPath.c_str());
        return 1;
    }
    LinkServer link(camera);
    link.refusedNames = options.refused;

    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0)
        return 1;
    gWakeWrite = wake[1];
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGUSR1, SIGUSR2})
        ::sigaction(sig, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    if (!clearOldSocket(options.socketPath))
        return 1;
    const int listener = listenOn(options.socketPath);
    if (listener < 0)
        return 1;
    std::fprintf(stderr, "rt70sim: camera on %s, card %s\n", options.socketPath.c_str(),
                 options.cardPath.c_str());

    std::vector<Client> clients;
    std::vector<uint8_t> buffer(65536);
    while (!gStop) {
        if (gButton) {
            pressButton(camera, static_cast<uint16_t>(gButton));
            if (options.verbose)
                std::fprintf(stderr, "rt70sim: button event %d\n", static_cast<int>(gButton));
            gButton = 0;
        }
        pollButtonFile(options.buttonFile, camera, options.verbose);

        std::vector<pollfd> fds;
        fds.push_back({wake[0], POLLIN, 0});
        fds.push_back({listener, POLLIN, 0});
        for (const Client& c : clients) {
            // A host that does not read its answers is not read from either.
            short events = (c.closing || c.out.size() - c.sent > kMaxQueued) ? 0 : POLLIN;
            if (c.sent < c.out.size())
                events |= POLLOUT;
            fds.push_back({c.fd, events, 0});
        }
        const int ready = ::poll(fds.data(), fds.size(), options.buttonFile.empty() ? 1000 : 100);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        if (fds[0].revents & POLLIN) {
            char scrap[64];
            while (::read(wake[0], scrap, sizeof scrap) > 0) {
            }
        }
        for (size_t i = 0; i < clients.size(); ++i) {
            Client& c = clients[i];
            const short rev = fds[i + 2].revents;
            if (rev & POLLIN) {
                const ssize_t n = ::recv(c.fd, buffer.data(), buffer.size(), 0);
                if (n > 0) {
                    if (!link.feed(c.id, buffer.data(), static_cast<size_t>(n), c.out))
                        c.closing = true;
                } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                    c.closing = true;
                    c.out.clear();
                    c.sent = 0;
                }
            } else if (rev & (POLLHUP | POLLERR)) {
                c.closing = true;
                c.out.clear();
                c.sent = 0;
            }
            while (c.sent < c.out.size()) {
                const ssize_t n =
                    ::send(c.fd, c.out.data() + c.sent, c.out.size() - c.sent, MSG_NOSIGNAL);
                if (n > 0) {
                    c.sent += static_cast<size_t>(n);
                } else {
                    if (n < 0 && errno != EAGAIN && errno != EINTR) {
                        c.closing = true;
                        c.out.clear();
                        c.sent = 0;
                    }
                    break;
                }
            }
            if (c.sent == c.out.size()) {
                c.out.clear();
                c.sent = 0;
            }
        }
        for (size_t i = clients.size(); i-- > 0;) {
            if (clients[i].closing && clients[i].out.empty()) {
                link.closeConnection(clients[i].id);
                ::close(clients[i].fd);
                clients.erase(clients.begin() + static_cast<long>(i));
            }
        }
        if (fds[1].revents & POLLIN) {
            for (;;) {
                const int fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (fd < 0)
                    break;
                Client c;
                c.fd = fd;
                c.id = link.openConnection();
                clients.push_back(std::move(c));
            }
        }
    }
    for (const Client& c : clients)
        ::close(c.fd);
    ::close(listener);
    ::unlink(options.socketPath.c_str());
    ::close(wake[0]);
    ::close(wake[1]);
    gWakeWrite = -1;
    std::fprintf(stderr, "rt70sim: stopped\n");
    return 0;
}

} // namespace rt70sim
