// rt70cam watch: waits for the camera's button with the monitor's own rounds (the same
// interlock, intervals and Now_Toking), prints "button N" per event and, with --exec, runs a
// command with RT70_EVENT set and waits for it. The button is then reset, once, so that one
// press gives one event. SIGINT and SIGTERM end it after the current step.
#include "cam_watch.h"

#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <string>

#include "monitor_link.h"
#include "monitor_strings.h"
#include "monitor_worker.h"

const char kCamWatchUsage[] =
    "  watch [--exec CMD]  wait for the camera's button; print \"button N\" per press and run\n"
    "                      CMD (by /bin/sh, event number in RT70_EVENT) before waiting again\n";

namespace {

std::atomic<bool>* g_running = nullptr;
volatile sig_atomic_t g_stop = 0;

void onStop(int) {
    g_stop = 1;
    if (g_running)
        g_running->store(false);
}

// Runs command and waits for it; a stop request is passed on to it once.
int runCommand(const std::string& command, int event) {
    const pid_t child = fork();
    if (child < 0) {
        perror("rt70cam: fork");
        return -1;
    }
    if (child == 0) {
        char text[16];
        snprintf(text, sizeof text, "%d", event);
        setenv("RT70_EVENT", text, 1);
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    bool passedOn = false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
        if (g_stop && !passedOn) {
            kill(child, SIGTERM);
            passedOn = true;
        }
    }
    return status;
}

class WatchHost : public qubexmon::MonHost {
  public:
    explicit WatchHost(const char* command) : command_(command ? command : "") {}
    qubexmon::MonLaunch Launch(int event) override {
        printf("button %d\n", event);
        fflush(stdout);
        if (!command_.empty()) {
            const int status = runCommand(command_, event);
            if (status != 0)
                fprintf(stderr, "rt70cam: the command ended with status %d\n",
                        WIFEXITED(status) ? WEXITSTATUS(status) : status);
        }
        return qubexmon::MonLaunch::Handled;
    }

  private:
    std::string command_;
};

} // namespace

int CamWatch_Main(int argc, char** argv) {
    const char* command = nullptr;
    if (argc == 4 && strcmp(argv[2], "--exec") == 0 && argv[3][0])
        command = argv[3];
    else if (argc != 2) {
        fprintf(stderr, "usage: rt70cam watch [--exec CMD]\n");
        return 2;
    }
    qubexmon::MonLink link;
    if (!qubexmon::MonLink_Load(&link)) {
        fprintf(stderr, "rt70cam: %s\n", qubexmon::MonString(101, 4));
        return 1;
    }
    WatchHost host(command);
    qubexmon::MonWorker worker(&host, &link);
    g_running = &worker.state().running;
    struct sigaction action {};
    action.sa_handler = onStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr); // no SA_RESTART: a wait for the command sees it
    sigaction(SIGTERM, &action, nullptr);
    if (!g_stop)
        worker.Run();
    g_running = nullptr;
    return 0;
}
