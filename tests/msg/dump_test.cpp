/* Runs msg_dump, a client that knows only the public header, under three locales and
 * compares its output with the data file of the language that locale picks. */
#include "VokDscMsg.h"
#include "msg_test_env.h"

namespace {

std::string RunDump(const char* lang) {
    std::string cmd = "env -u LC_ALL -u LC_MESSAGES LANG=";
    cmd += lang;
    cmd += " '" VOK_MSG_DUMP "'";
    const voktest::ProgramRun run = voktest::RunShell(cmd);
    EXPECT_EQ(run.status, 0) << "msg_dump failed under LANG=" << lang;
    return run.out;
}

} // namespace

TEST(msg_dump, ClientSeesTheLanguageOfTheLocale) {
    const struct {
        const char* lang;
        const char* file;
    } cases[] = {{"de_DE.UTF-8", "de"}, {"fr_FR.UTF-8", "fr"}, {"C", "en"}};
    for (const auto& c : cases) {
        std::string expected =
            msgtest::ReadFile(std::string(VOK_MSG_DATA_DIR) + "/" + c.file + ".txt");
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(RunDump(c.lang), expected) << "LANG=" << c.lang;
    }
}
