/* Uses only the public header: this program sets a value and starts itself again to read it
 * in a second process, then the second process writes and the first one reads. Exit code 0
 * when both directions work. */
#include "VokReged.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

static const char kKey[] = "software\\Quintaral\\VQL-RT70";

static int runSelf(const char* self, const char* mode) {
    pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        execl(self, self, mode, (char*)nullptr);
        _exit(127);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

static int childRead() {
    char text[VOK_MAX_PATH];
    int32_t number = 0;
    if (VokReg_Query_KeyValue(kKey, "Event_App", "Path_Image", VOK_REG_TEXT, text) != 1 ||
        strcmp(text, "/pictures/from parent") != 0)
        return 1;
    if (VokReg_Query_KeyValue(kKey, "Event_App", "Active", VOK_REG_NUMBER, &number) != 1 ||
        number != 1)
        return 2;
    int32_t answer = -12345;
    if (VokReg_Set_KeyValue(kKey, "Application", "Path_dir", VOK_REG_TEXT, "/from child") != 1 ||
        VokReg_Set_KeyValue(kKey, "Event_App", "Now_Toking", VOK_REG_NUMBER, &answer) != 1)
        return 3;
    return 0;
}

int main(int argc, char** argv) {
    if (argc > 1 && strcmp(argv[1], "child") == 0)
        return childRead();

    char dir[] = "/tmp/reg_crossproc_XXXXXX";
    if (!mkdtemp(dir)) {
        perror("mkdtemp");
        return 1;
    }
    setenv("HOME", dir, 1);
    setenv("XDG_CONFIG_HOME", (std::string(dir) + "/config").c_str(), 1);

    int rc = 0;
    char key[VOK_MAX_PATH];
    int32_t active = 1;
    if (Union2Strings(key, "software\\Quintaral", "VQL-RT70") != 1 || strcmp(key, kKey) != 0 ||
        VokReg_Set_KeyValue(key, "Event_App", "Path_Image", VOK_REG_TEXT,
                            "/pictures/from parent") != 1 ||
        VokReg_Set_KeyValue(key, "Event_App", "Active", VOK_REG_NUMBER, &active) != 1) {
        fprintf(stderr, "reg_crossproc: writing failed\n");
        rc = 1;
    }
    int child = rc ? 0 : runSelf("/proc/self/exe", "child");
    if (!rc && child != 0) {
        fprintf(stderr, "reg_crossproc: the second process failed with %d\n", child);
        rc = 1;
    }
    char text[VOK_MAX_PATH];
    int32_t number = 0;
    if (!rc &&
        (VokReg_Query_KeyValue(key, "Application", "Path_dir", VOK_REG_TEXT, text) != 1 ||
         strcmp(text, "/from child") != 0 ||
         VokReg_Query_KeyValue(key, "Event_App", "Now_Toking", VOK_REG_NUMBER, &number) != 1 ||
         number != -12345)) {
        fprintf(stderr, "reg_crossproc: values written by the second process not read\n");
        rc = 1;
    }
    std::string cleanup = std::string("rm -rf '") + dir + "'";
    if (system(cleanup.c_str()) != 0)
        rc = 1;
    if (rc == 0)
        printf("reg_crossproc: both directions passed\n");
    return rc;
}
