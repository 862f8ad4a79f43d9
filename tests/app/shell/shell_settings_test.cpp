/* The settings file, the command line and the hand-off file: private-profile semantics and
 * atomic writes, the event and file forms, and the hand-off file's refusals. */
#include "command_line.h"
#include "handoff.h"
#include "ini_table.h"
#include "settings_file.h"
#include "vok_test_env.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace qubex;
using voktest::ReadFile;
using voktest::WriteFile;

TEST(Settings, MissingFileOrKeyGivesDefaultsAndWritesKeepOtherLines) {
    voktest::TempHome home("qubexini");
    SettingsFile ini(DefaultIniPath());
    EXPECT_EQ(ini.path(), home.dir + "/config/qubex/qubex.ini");
    for (const IniKey& k : IniKeys()) {
        if (k.kind == IniKind::Integer) {
            EXPECT_EQ(ini.ReadInt(k.section, k.key, k.defaultNumber), k.defaultNumber) << k.key;
        }
    }
    EXPECT_EQ(FindIniKey("vokapp", "prevon")->defaultNumber, 0);
    EXPECT_EQ(FindIniKey("VOKAPP", "AlbAll")->defaultNumber, 1);
    EXPECT_EQ(FindIniKey("CAPTURE", "Time")->defaultNumber, 5);
    EXPECT_EQ(FindIniKey("TOOL", "PenSize")->defaultNumber, 5);
    EXPECT_EQ(CalendarIniKeys().size(), 44u);

    // The folder is created; numbers are decimal text; a second section joins the first.
    ASSERT_TRUE(ini.WriteInt("VOKAPP", "Tool", 1));
    ASSERT_TRUE(ini.WriteInt("CAPTURE", "Time", 12));
    ASSERT_TRUE(ini.WriteInt("VOKAPP", "Status", 1));
    ASSERT_TRUE(ini.WriteInt("vokapp", "tool", 0));
    EXPECT_EQ(ReadFile(ini.path()), "[VOKAPP]\ntool=0\nStatus=1\n\n[CAPTURE]\nTime=12\n");
    EXPECT_EQ(ini.ReadInt("VOKAPP", "Tool", 7), 0);
    EXPECT_EQ(ini.ReadInt("capture", "TIME", 7), 12);

    // Hand-edited lines: comments and unknown keys survive a write; blanks and CRs are
    // ignored; a number with trailing letters gives its digits, letters give 0.
    WriteFile(ini.path(), "; mine\r\n[VOKAPP]\r\n  Tool = 12ab \r\nStatus=x\nOther=keep\n");
    EXPECT_EQ(ini.ReadInt("VOKAPP", "Tool", 5), 12);
    EXPECT_EQ(ini.ReadInt("VOKAPP", "Status", 5), 0);
    ASSERT_TRUE(ini.WriteText("VOKAPP", "dir", "/home/x y"));
    EXPECT_EQ(ini.ReadText("VOKAPP", "dir", "", 260), "/home/x y");
    EXPECT_EQ(ini.ReadText("VOKAPP", "dir", "", 4), "/ho");
    EXPECT_EQ(ini.ReadText("VOKAPP", "nothing", "défaut", 3), "d"); // never half a character
    const std::string text = ReadFile(ini.path());
    EXPECT_NE(text.find("; mine"), std::string::npos);
    EXPECT_NE(text.find("Other=keep"), std::string::npos);

    // Written by replace: the file keeps no temporary beside it, and a failing write (the
    // folder made read-only) leaves the old file whole.
    EXPECT_EQ(voktest::Names(home.dir + "/config/qubex"), std::vector<std::string>{"qubex.ini"});
    if (::geteuid() != 0) {
        ::chmod((home.dir + "/config/qubex").c_str(), 0500);
        EXPECT_FALSE(ini.WriteInt("VOKAPP", "Tool", 3));
        ::chmod((home.dir + "/config/qubex").c_str(), 0700);
        EXPECT_EQ(ReadFile(ini.path()), text);
    }
}

TEST(CommandLineForms, EventsFilesAndQuotes) {
    CommandLine l = ParseCommandLine("vok_evnt_no=2");
    EXPECT_EQ(l.kind, CommandKind::Event);
    EXPECT_EQ(l.event, 2);
    l = ParseCommandLine("VOK_EVNT_NO=3");
    EXPECT_EQ(l.kind, CommandKind::Event);
    EXPECT_EQ(l.event, 3);
    EXPECT_FALSE(EventStartsDownload(l.event));
    EXPECT_TRUE(EventStartsDownload(ParseCommandLine("Vok_Evnt_No=1").event));
    // Only the low four bits of the character count: 'A' (0x41) is 1, as in the design.
    EXPECT_EQ(ParseCommandLine("VOK_EVNT_NO=A").event, 1);
    EXPECT_EQ(ParseCommandLine("VOK_EVNT_NO=").event, 0);
    EXPECT_EQ(ParseCommandLine("VOK_EVNT_NO").kind, CommandKind::Files);

    l = ParseCommandLine("  a.jpg\tb.bmp  ");
    EXPECT_EQ(l.kind, CommandKind::Files);
    EXPECT_EQ(l.files, (std::vector<std::string>{"a.jpg", "b.bmp"}));
    EXPECT_EQ(ParseCommandLine(" \t ").kind, CommandKind::Empty);
    // Unquoted, a blank splits a path; quoted, it stays whole (an unclosed quote runs to the end).
    EXPECT_EQ(SplitFileTokens("/p/my photo.jpg"), (std::vector<std::string>{"/p/my", "photo.jpg"}));
    EXPECT_EQ(SplitFileTokens("\"/p/my photo.jpg\" x.jpg \"/q/a b"),
              (std::vector<std::string>{"/p/my photo.jpg", "x.jpg", "/q/a b"}));
    // argv words are joined so that the running copy splits them back the same way.
    const std::vector<std::string> words = {"/p/my photo.jpg", "x.jpg", "/t/tab\there.bmp"};
    EXPECT_EQ(SplitFileTokens(JoinArguments(words)), words);
    EXPECT_EQ(JoinArguments({"VOK_EVNT_NO=1"}), "VOK_EVNT_NO=1");
}

TEST(Handoff, WrittenPrivateReadOnceAndRefusedWhenForeign) {
    voktest::TempHome home("qubexhandoff");
    ::chmod(home.dir.c_str(), 0700);
    const std::string path = HandoffPath();
    EXPECT_EQ(path, home.dir + "/VokCmdLine.Dat");
    EXPECT_EQ(InstanceSocketPath(), home.dir + "/qubex.instance");

    ASSERT_TRUE(WriteHandoff(path, "a.jpg \"b c.jpg\""));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::string text;
    ASSERT_TRUE(TakeHandoff(path, &text));
    EXPECT_EQ(text, "a.jpg \"b c.jpg\"");
    EXPECT_FALSE(TakeHandoff(path, &text)) << "read once and removed";

    // The design's short-write form ends at a zero byte.
    WriteFile(path, std::string("x.jpg\0junk", 10));
    ASSERT_TRUE(TakeHandoff(path, &text));
    EXPECT_EQ(text, "x.jpg");

    // A link is not followed, a file over 64 KiB is ignored.
    WriteFile(home.dir + "/target", "secret.jpg");
    ASSERT_EQ(::symlink((home.dir + "/target").c_str(), path.c_str()), 0);
    EXPECT_FALSE(TakeHandoff(path, &text));
    EXPECT_TRUE(text.empty());
    // A new hand-off replaces the link itself, never the file it names.
    ASSERT_TRUE(WriteHandoff(path, "new.jpg"));
    EXPECT_EQ(ReadFile(home.dir + "/target"), "secret.jpg");
    ASSERT_TRUE(TakeHandoff(path, &text));
    EXPECT_EQ(text, "new.jpg");
    WriteFile(path, std::string(QUBEX_HANDOFF_LIMIT + 1, 'a'));
    EXPECT_FALSE(TakeHandoff(path, &text));
    EXPECT_FALSE(WriteHandoff(path, std::string(QUBEX_HANDOFF_LIMIT + 1, 'a')));

    // A runtime folder others may write is not used; a private one in the temp folder is.
    ::mkdir((home.dir + "/tmp").c_str(), 0700);
    voktest::ScopedEnv tmp("TMPDIR", home.dir + "/tmp");
    ::chmod(home.dir.c_str(), 0777);
    const std::string own = RuntimeFolder();
    ::chmod(home.dir.c_str(), 0700);
    EXPECT_NE(own, home.dir);
    EXPECT_EQ(own, home.dir + "/tmp/qubex-" + std::to_string(::getuid()));
}
