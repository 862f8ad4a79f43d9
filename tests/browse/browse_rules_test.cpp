/* Tests of the folder browser's decisions without a display: new-folder name checks and the
 * box each refusal gives, path composition, the opening folder, which folders can be chosen,
 * the write probe and the create step. */
#include "VokDscMsg.h"
#include "VokSHUtil.h"
#include "browse_rules.h"
#include "browse_test_env.h"

#include <dirent.h>

using namespace vokbrowse;
using browsetest::IsDir;
using browsetest::MakeDir;

namespace {

std::string Root() {
    return browsetest::HermeticEnvironment::Root();
}

Probe AlwaysReadOnly(const std::string&) {
    return Probe::ReadOnly;
}
Probe AlwaysUnreachable(const std::string&) {
    return Probe::Unreachable;
}

int CountVokFiles(const std::string& folder) {
    int count = 0;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* entry = ::readdir(dir))
            if (std::string(entry->d_name).rfind("VOK", 0) == 0)
                ++count;
        ::closedir(dir);
    }
    return count;
}

TEST(BrowseNameCheck, LengthAndEmptiness) {
    std::string cleaned;
    EXPECT_EQ(CheckFolderName(std::string(100, 'a'), &cleaned), CreateOutcome::Created);
    EXPECT_EQ(CheckFolderName(std::string(101, 'a'), &cleaned), CreateOutcome::NameLength);
    EXPECT_EQ(CheckFolderName("", &cleaned), CreateOutcome::NameLength);
    EXPECT_EQ(CheckFolderName("     ", &cleaned), CreateOutcome::NameLength);
    // Leading spaces do not count: 100 letters after three spaces are fine.
    EXPECT_EQ(CheckFolderName("   " + std::string(100, 'b'), &cleaned), CreateOutcome::Created);
    EXPECT_EQ(cleaned, std::string(100, 'b'));
    // Letters, not bytes: 100 two-byte letters are accepted.
    std::string umlauts;
    for (int i = 0; i < 100; ++i)
        umlauts += "\xC3\xA4";
    EXPECT_EQ(CheckFolderName(umlauts, nullptr), CreateOutcome::Created);
    EXPECT_EQ(CheckFolderName(umlauts + "x", nullptr), CreateOutcome::NameLength);
}

TEST(BrowseNameCheck, CharactersAndReservedNames) {
    for (const char* bad : {"a:b", "say \"hi\"", "a*", "a/b", "a<b", "a>b", "why?", "a\\b", "a|b",
                            "tab\there", "new\nline"})
        EXPECT_EQ(CheckFolderName(bad, nullptr), CreateOutcome::BadCharacter) << bad;
    EXPECT_EQ(CheckFolderName(".", nullptr), CreateOutcome::ReservedName);
    EXPECT_EQ(CheckFolderName("..", nullptr), CreateOutcome::ReservedName);
    EXPECT_EQ(CheckFolderName("  ..", nullptr), CreateOutcome::ReservedName);
    std::string cleaned;
    for (const char* good : {"images", "2000", "...", ".hidden", "a b ", "Fotos-2000_01", "été"})
        EXPECT_EQ(CheckFolderName(good, &cleaned), CreateOutcome::Created) << good;
    EXPECT_EQ(CheckFolderName("  trailing  ", &cleaned), CreateOutcome::Created);
    EXPECT_EQ(cleaned, "trailing  ");
}

TEST(BrowseNameCheck, EachRefusalHasItsBox) {
    const Refusal length = RefusalFor(CreateOutcome::NameLength, VOK_LANG_ENGLISH);
    EXPECT_EQ(length.text, "Up to 100 letters of ASCII characters only can be input.");
    EXPECT_EQ(length.number, -1);
    const Refusal bad = RefusalFor(CreateOutcome::BadCharacter, VOK_LANG_ENGLISH);
    EXPECT_EQ(bad.text, "This filename cannot contain any of the following characters:\n\\/:*?<>|");
    const Refusal exists = RefusalFor(CreateOutcome::Exists, VOK_LANG_ENGLISH);
    EXPECT_EQ(exists.text, "This folder already exists.\nEnter another folder name.");
    EXPECT_EQ(exists.kind, VOK_BOX_ERROR);
    const Refusal notReady = RefusalFor(CreateOutcome::NotReady, VOK_LANG_ENGLISH);
    EXPECT_EQ(notReady.text, "Selected drive is not ready or wrong drive name.");
    EXPECT_EQ(notReady.kind, VOK_BOX_OTHER);
    EXPECT_EQ(notReady.style & 0xF0u, VOK_MB_ICONWARNING);
    // Texts the catalogue holds are shown with their number.
    const Refusal ro = RefusalFor(CreateOutcome::WriteProtected, VOK_LANG_ENGLISH);
    EXPECT_EQ(ro.number, 58);
    EXPECT_EQ(ro.text,
              "The disk is write-protected.\nRemove the write-protection or use another disk.");
    EXPECT_EQ(RefusalFor(CreateOutcome::PathTooLong, VOK_LANG_ENGLISH).number, 170);
    EXPECT_EQ(RefusalFor(CreateOutcome::CreateFailed, VOK_LANG_ENGLISH).number, 169);
    EXPECT_NE(RefusalFor(CreateOutcome::ReservedName, VOK_LANG_ENGLISH).text.find("\"..\""),
              std::string::npos);
    // Every text of the library exists in the three languages, placeholders kept.
    for (int t = 0; t < static_cast<int>(Text::Count); ++t) {
        const std::string en = TextFor(static_cast<Text>(t), VOK_LANG_ENGLISH);
        for (int lang : {VOK_LANG_GERMAN, VOK_LANG_FRENCH}) {
            const std::string other = TextFor(static_cast<Text>(t), lang);
            EXPECT_FALSE(other.empty());
            EXPECT_EQ(en.find("%d") == std::string::npos, other.find("%d") == std::string::npos);
            EXPECT_EQ(en.find("%s") == std::string::npos, other.find("%s") == std::string::npos);
        }
    }
    EXPECT_EQ(RefusalFor(CreateOutcome::NameLength, VOK_LANG_GERMAN).text,
              "Es können nur bis zu 100 ASCII-Zeichen eingegeben werden.");
}

TEST(BrowsePaths, ComposeAndNormalise) {
    EXPECT_EQ(ComposeNewPath("/", "a"), "/a");
    EXPECT_EQ(ComposeNewPath("/home/u", "a"), "/home/u/a");
    EXPECT_EQ(ComposeNewPath("/home/u/", "a"), "/home/u/a");
    const std::string home = std::getenv("HOME");
    EXPECT_EQ(NormalisePath(""), home);
    EXPECT_EQ(NormalisePath("pics/2000"), home + "/pics/2000");
    EXPECT_EQ(NormalisePath("/a//b/./c/../d/"), "/a/b/d");
}

TEST(BrowsePaths, DeepestExistingPartAndOpeningFolder) {
    const std::string y = MakeDir("x/y");
    EXPECT_EQ(DeepestExistingPart(y), y);
    EXPECT_EQ(DeepestExistingPart(y + "/missing/deeper"), y);
    EXPECT_EQ(DeepestExistingPart("/no-such-folder-here/at/all"), "/");
    EXPECT_EQ(DeepestExistingPart(""), "/");
    std::ofstream(y + "/file.txt") << "x";
    EXPECT_EQ(DeepestExistingPart(y + "/file.txt"), y);

    const std::string hidden = MakeDir("x/.hidden/inner");
    EXPECT_EQ(DeepestExistingPart(hidden), hidden);
    EXPECT_EQ(OpeningFolder(hidden), Root() + "/x");
    EXPECT_EQ(OpeningFolder(y + "/missing"), y);
    EXPECT_EQ(OpeningFolder("/"), "/");
}

TEST(BrowseChoosable, FoldersThatCanTakeFiles) {
    const std::string plain = MakeDir("choose/plain");
    const std::string hidden = MakeDir("choose/.dot");
    EXPECT_TRUE(FolderIsChoosable(plain));
    EXPECT_FALSE(FolderIsChoosable(hidden));
    EXPECT_FALSE(FolderIsChoosable(plain + "/missing"));
    EXPECT_FALSE(FolderIsChoosable(""));
    std::ofstream(plain + "/file") << "x";
    EXPECT_FALSE(FolderIsChoosable(plain + "/file"));
}

TEST(BrowseChoosable, ReadOnlyFolderByPermissions) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions; the injected probes cover the logic";
    const std::string ro = MakeDir("readonly");
    ASSERT_EQ(::chmod(ro.c_str(), 0555), 0);
    EXPECT_FALSE(FolderIsChoosable(ro));
    EXPECT_EQ(ProbeByTempFile(ro), Probe::ReadOnly);
    std::string made;
    EXPECT_EQ(CreateFolder(ro, "new", &made), CreateOutcome::WriteProtected);
    EXPECT_FALSE(IsDir(ro + "/new"));
    ::chmod(ro.c_str(), 0755);
}

TEST(BrowseCreate, ProbeLeavesNothingBehind) {
    const std::string folder = MakeDir("probe");
    EXPECT_EQ(ProbeByTempFile(folder), Probe::Writable);
    EXPECT_EQ(CountVokFiles(folder), 0);
    EXPECT_EQ(ProbeByTempFile(folder + "/missing"), Probe::Unreachable);
}

TEST(BrowseCreate, CreatesOrRefuses) {
    const std::string current = MakeDir("create");
    std::string made;
    EXPECT_EQ(CreateFolder(current, "  2000", &made), CreateOutcome::Created);
    EXPECT_EQ(made, current + "/2000");
    EXPECT_TRUE(IsDir(made));
    EXPECT_EQ(CountVokFiles(current), 0) << "the write probe removes its file";

    made.clear();
    EXPECT_EQ(CreateFolder(current, "2000", &made), CreateOutcome::Exists);
    std::ofstream(current + "/plainfile") << "x";
    EXPECT_EQ(CreateFolder(current, "plainfile", &made), CreateOutcome::Exists);
    EXPECT_EQ(CreateFolder(current, "..", &made), CreateOutcome::ReservedName);
    EXPECT_EQ(CreateFolder(current, ".", &made), CreateOutcome::ReservedName);
    EXPECT_EQ(CreateFolder(current, "a:b", &made), CreateOutcome::BadCharacter);
    EXPECT_EQ(CreateFolder(current, "   ", &made), CreateOutcome::NameLength);
    EXPECT_TRUE(made.empty()) << "no path is given back for a refusal";

    EXPECT_EQ(CreateFolder(current, "p", &made, AlwaysReadOnly), CreateOutcome::WriteProtected);
    EXPECT_EQ(CreateFolder(current, "p", &made, AlwaysUnreachable), CreateOutcome::NotReady);
    EXPECT_FALSE(IsDir(current + "/p"));
    EXPECT_EQ(CreateFolder(current + "/gone", "p", &made), CreateOutcome::NotReady);

    // "/" + 250 letters + "/" + 7 letters is 259 bytes, the most a path buffer holds.
    const std::string deep = "/" + std::string(250, 'd');
    EXPECT_EQ(CreateFolder(deep, "abcdefgh", &made), CreateOutcome::PathTooLong);
    EXPECT_EQ(CreateFolder(deep, "abcdefg", &made), CreateOutcome::NotReady)
        << "259 bytes still fit, the folder is missing";
}

TEST(BrowseCaption, SetMsgTitleKeepsACopy) {
    EXPECT_EQ(MessageCaption(), "");
    std::string caption = "RT70 Viewer";
    EXPECT_EQ(VokSHLibSetMsgTitle(7, caption.c_str()), 1);
    caption = "changed";
    EXPECT_EQ(MessageCaption(), "RT70 Viewer");
    VokSHLibSetMsgTitle(0, nullptr);
    EXPECT_EQ(MessageCaption(), "");
}

TEST(BrowseExport, NoApplicationOrNoBuffer) {
    char path[VOK_MAX_PATH] = "/tmp";
    EXPECT_EQ(VokSHBrowseFolder(nullptr, path), 0);
    EXPECT_STREQ(path, "/tmp");
    EXPECT_EQ(VokSHBrowseFolder(nullptr, nullptr), 0);
}

} // namespace
