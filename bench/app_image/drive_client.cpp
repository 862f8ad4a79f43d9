/* A drive-socket client for the benchmark scripts: sends each argument as one command line to
 * a running qubex (VOK_DRIVE) and prints its answer with the milliseconds until it came, so a
 * script can time what the program does without timing its own start.
 * Usage: bench_qubex_drive SOCKET LINE... (waits up to a minute for the socket). */
#include <chrono>
#include <cstdio>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_qubex_drive SOCKET LINE...\n");
        return 2;
    }
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", argv[1]);
    int fd = -1;
    for (int i = 0; i < 600 && fd < 0; ++i) {
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            ::close(fd);
            fd = -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    if (fd < 0) {
        std::fprintf(stderr, "bench_qubex_drive: no program at %s\n", argv[1]);
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        const std::string line = std::string(argv[i]) + "\n";
        const auto start = std::chrono::steady_clock::now();
        if (::write(fd, line.data(), line.size()) != ssize_t(line.size()))
            return 1;
        std::string answer;
        char c;
        while (::read(fd, &c, 1) == 1 && c != '\n')
            answer += c;
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        std::printf("%.2f\t%s\n", ms, answer.c_str());
    }
    ::close(fd);
    return 0;
}
