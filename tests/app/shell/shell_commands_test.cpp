/* The command surface: table, menus, toolbar, status bar, enable rules and help texts, the
 * Open filters, the state dump's form and the drive commands. */
#include "commands.h"
#include "drive_protocol.h"
#include "enable_rules.h"
#include "program_strings.h"
#include "state_dump.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <set>

using namespace qubex;

namespace {

void CollectItems(const std::vector<MenuEntry>& entries, std::vector<int>* ids) {
    for (const MenuEntry& e : entries) {
        if (e.kind == MenuEntry::Item)
            ids->push_back(e.id);
        else if (e.kind == MenuEntry::Submenu)
            CollectItems(e.entries, ids);
    }
}

FrameView Album(bool selection, int marked = 0) {
    FrameView v;
    v.hasActive = true;
    v.active.kind = KIND_ALBUM;
    v.active.hasDocument = true;
    v.active.albumSelection = selection;
    v.active.albumSelectedName = selection ? "DSC00001.JPG" : "";
    v.active.albumMarkedForMail = marked;
    return v;
}

FrameView Image(const std::string& name, bool modified = false, int source = 2) {
    FrameView v;
    v.hasActive = true;
    v.active.kind = KIND_IMAGE;
    v.active.hasDocument = true;
    v.active.displayName = name;
    v.active.modified = modified;
    v.active.sourceType = source;
    return v;
}

} // namespace

TEST(CommandSurface, MenusToolbarAndStatusBarFollowTheTable) {
    // Six drop-downs in order, each label with one mnemonic in all three languages.
    const auto& bar = MenuBar();
    ASSERT_EQ(bar.size(), 6u);
    EXPECT_EQ(ProgramText(bar[0].title, 4), "&File");
    EXPECT_EQ(ProgramText(bar[kWindowMenuPosition].title, 2), "&Fenster");
    EXPECT_EQ(ProgramText(bar[5].title, 1), "&Aide");
    EXPECT_FALSE(bar[0].startsGrayed);
    EXPECT_TRUE(bar[1].startsGrayed && bar[2].startsGrayed && bar[3].startsGrayed);

    // Every command with a menu entry appears once; the two event commands have none.
    std::vector<int> ids;
    for (const DropDown& d : bar)
        CollectItems(d.entries, &ids);
    std::set<int> unique(ids.begin(), ids.end());
    EXPECT_EQ(unique.size(), ids.size());
    for (const CommandInfo& c : CommandTable()) {
        const bool inMenu = unique.count(c.id) > 0;
        EXPECT_EQ(inMenu, c.id != CMD_EVENT_1 && c.id != CMD_EVENT_2 && c.id != CMD_NOTHING)
            << c.id;
        for (int lang : {1, 2, 4}) {
            if (!inMenu)
                continue;
            const std::string label = MenuLabel(c.id, lang);
            EXPECT_EQ(std::count(label.begin(), label.end(), '&'), 1) << c.id << " " << lang;
        }
    }

    // 21 positions, 14 buttons, each with a tooltip in every language and a command.
    const auto& layout = ToolbarLayout();
    ASSERT_EQ(layout.size(), 21u);
    EXPECT_EQ(layout.front(), BTN_NEW_ALBUM);
    EXPECT_EQ(layout.back(), BTN_HELP);
    int buttons = 0, enabled = 0;
    for (int b : layout) {
        if (b == 0)
            continue;
        ++buttons;
        enabled += ButtonInitiallyEnabled(b);
        EXPECT_NE(CommandOfButton(b), 0) << b;
        for (int lang : {1, 2, 4})
            EXPECT_FALSE(ProgramText(b, lang).empty()) << b;
    }
    EXPECT_EQ(buttons, 14);
    EXPECT_EQ(enabled, 5);
    EXPECT_EQ(ProgramText(463, 4), "Attach an image to your E-mail.");
    EXPECT_EQ(CommandOfButton(BTN_SEND_MAIL), CMD_SEND_MAIL);
    EXPECT_EQ(ButtonHelp(BTN_DATA_IN, false), 423);

    EXPECT_EQ(StatusFieldEdges(800, 4), (std::vector<int>{468, 554, 629, 715, 790}));
    EXPECT_EQ(StatusFieldEdges(800, 2), (std::vector<int>{436, 538, 613, 715, 790}));
    EXPECT_EQ(StatusFieldEdges(800, 1), StatusFieldEdges(800, 2));
    EXPECT_EQ(ZoomCommand(4), CMD_ZOOM_100);
    EXPECT_EQ(ZoomCommand(3), 0);
}

TEST(EnableRules, FollowTheActiveChild) {
    FrameView none;
    EXPECT_FALSE(MenuItemEnabled(CMD_SAVE, none));
    EXPECT_FALSE(MenuItemEnabled(CMD_CLOSE_ALL, none));
    EXPECT_TRUE(MenuItemEnabled(CMD_FILE_OPEN, none));
    EXPECT_FALSE(DropDownEnabled(1, none));
    // Save grayed shows the second help text.
    EXPECT_EQ(MenuHelpText(CMD_SAVE, !MenuItemEnabled(CMD_SAVE, none)), 418);
    EXPECT_EQ(MenuHelpText(CMD_SAVE, false), 370);
    EXPECT_EQ(MenuHelpText(CMD_FILE_OPEN, false), 368);
    EXPECT_EQ(MenuHelpText(0, false), MSG_READY);
    auto states = ToolbarStates(none);
    EXPECT_EQ(states.count(BTN_FILE_OPEN), 0u) << "buttons without a rule keep their state";
    for (const auto& [id, s] : states)
        EXPECT_EQ(s, ButtonState::Indeterminate) << id;

    // Album: Cut and Copy follow the selection, Paste the clipboard, mail the marks.
    FrameView a = Album(false);
    EXPECT_FALSE(MenuItemEnabled(CMD_CUT, a));
    EXPECT_FALSE(MenuItemEnabled(CMD_COPY, a));
    EXPECT_TRUE(MenuItemEnabled(CMD_ADD_TO_ALBUM, a));
    EXPECT_TRUE(MenuItemEnabled(CMD_SAVE, a));
    EXPECT_EQ(ToolbarStates(a)[BTN_CUT], ButtonState::Indeterminate);
    a = Album(true, 1);
    EXPECT_TRUE(MenuItemEnabled(CMD_CUT, a));
    EXPECT_TRUE(MenuItemEnabled(CMD_COPY, a));
    EXPECT_EQ(ToolbarStates(a)[BTN_COPY], ButtonState::Enabled);
    EXPECT_FALSE(MenuItemEnabled(CMD_PASTE, a));
    a.clipboardTextAndDib = true;
    EXPECT_TRUE(MenuItemEnabled(CMD_PASTE, a));
    EXPECT_FALSE(MenuItemEnabled(CMD_SEND_MAIL, a)) << "mail not available";
    a.mailAvailable = true;
    EXPECT_TRUE(MenuItemEnabled(CMD_SEND_MAIL, a));
    EXPECT_EQ(ToolbarStates(a)[BTN_SEND_MAIL], ButtonState::Enabled);
    a.mailPreparing = true;
    EXPECT_EQ(ToolbarStates(a)[BTN_SEND_MAIL], ButtonState::Indeterminate);
    EXPECT_TRUE(MenuItemEnabled(CMD_IMAGE_INFO, a));
    EXPECT_TRUE(DropDownEnabled(1, a));
    EXPECT_FALSE(DropDownEnabled(2, a));

    // Image Information on the display name's case; Tool on the source type.
    EXPECT_TRUE(MenuItemEnabled(CMD_IMAGE_INFO, Image("a.jpg")));
    EXPECT_TRUE(MenuItemEnabled(CMD_IMAGE_INFO, Image("A.JPG")));
    EXPECT_FALSE(MenuItemEnabled(CMD_IMAGE_INFO, Image("a.Jpg")));
    EXPECT_FALSE(MenuItemEnabled(CMD_IMAGE_INFO, Image("year.cal")));
    EXPECT_FALSE(MenuItemEnabled(CMD_SAVE, Image("a.jpg")));
    EXPECT_TRUE(MenuItemEnabled(CMD_SAVE, Image("a.jpg", true)));
    EXPECT_TRUE(MenuItemEnabled(CMD_TOOL, Image("a.jpg", false, 2)));
    EXPECT_FALSE(MenuItemEnabled(CMD_TOOL, Image("a.alb", false, 3)));
    EXPECT_FALSE(MenuItemEnabled(CMD_SCHEDULE, Image("m.cal", false, 4)));
    // Image menu for BMP and JPEG only; Edit only in the window that made the last change.
    EXPECT_TRUE(DropDownEnabled(2, Image("a.bmp", false, 1)));
    EXPECT_TRUE(DropDownEnabled(2, Image("a.jpg", false, 2)));
    EXPECT_FALSE(DropDownEnabled(2, Image("a.tif", false, 7)));
    EXPECT_FALSE(DropDownEnabled(2, Image("m.cal", false, 4)));
    EXPECT_TRUE(DropDownEnabled(3, Image("a.tif", false, 7)));
    FrameView changed = Image("a.jpg", true);
    EXPECT_FALSE(DropDownEnabled(1, changed));
    changed.active.undoHere = true;
    EXPECT_TRUE(DropDownEnabled(1, changed));
    FrameView movie;
    movie.hasActive = true;
    movie.active.kind = KIND_MOVIE;
    movie.active.hasDocument = true;
    EXPECT_FALSE(MenuItemEnabled(CMD_SAVE_AS, movie));
    EXPECT_TRUE(MenuItemEnabled(CMD_CLOSE, movie));
    EXPECT_TRUE(MenuItemEnabled(CMD_IMAGE_INFO, movie));
    EXPECT_EQ(ToolbarStates(movie)[BTN_PRINT], ButtonState::Indeterminate);
    FrameView iconic;
    iconic.anyIconic = true;
    EXPECT_TRUE(MenuItemEnabled(CMD_ARRANGE, iconic));
}

TEST(OpenFilters, ThreeLanguagesWithAndWithoutMovies) {
    auto en = OpenFilters(4, true);
    ASSERT_EQ(en.size(), 8u);
    EXPECT_EQ(en[0].rfind("All Files(jpg;bmp;alb;cal;avi;mov;tif) (", 0), 0u);
    EXPECT_EQ(en[1], "JPEG Files(*.JPG) (*.jpg *.JPG)");
    auto de = OpenFilters(2, false);
    ASSERT_EQ(de.size(), 6u);
    EXPECT_EQ(de[0].rfind("Alle Dateien(jpg;bmp;alb;cal;tif) (", 0), 0u);
    EXPECT_EQ(OpenFilters(1, true)[0].rfind("Tous les fichiers(jpg;bmp;alb;cal;avi;mov;tif)", 0),
              0u);
    EXPECT_TRUE(FilterForbidsPreview(de[3])); // Album
    EXPECT_TRUE(FilterForbidsPreview(de[4])); // Kalender
    EXPECT_FALSE(FilterForbidsPreview(de[0]));
    EXPECT_FALSE(FilterForbidsPreview(de[1]));
}

TEST(StateDumpAndDrive, FormAndCommands) {
    StateDump d;
    d.pid = 42;
    d.language = 2;
    d.frameTitle = "qubex";
    d.frameVisible = true;
    DumpChild c;
    c.kind = 1;
    c.windowClass = "VOKNormalChild";
    c.title = "a.jpg";
    c.extra["zoom"] = 4;
    d.children.push_back(c);
    d.menus[CMD_SAVE] = {false, false};
    d.toolbar.push_back({BTN_FILE_OPEN, true, false});
    d.status = {"Bereit", "", "", "", ""};
    const QJsonObject o = QJsonDocument::fromJson(StateDumpText(d)).object();
    EXPECT_EQ(o["program"].toString(), "qubex");
    EXPECT_EQ(o["pid"].toInt(), 42);
    EXPECT_EQ(o["frame"].toObject()["visible"].toBool(), true);
    EXPECT_EQ(o["children"].toArray()[0].toObject()["class"].toString(), "VOKNormalChild");
    EXPECT_EQ(o["children"].toArray()[0].toObject()["zoom"].toInt(), 4);
    EXPECT_EQ(o["menus"].toObject()["101"].toObject()["enabled"].toBool(true), false);
    EXPECT_EQ(o["toolbar"].toArray()[0].toObject()["id"].toInt(), 400);
    EXPECT_EQ(o["status"].toArray().size(), 5);
    EXPECT_TRUE(o["tool_window"].isObject());

    DriveCommand cmd = ParseDriveCommand("command 100\r");
    EXPECT_EQ(cmd.verb, DriveCommand::Command);
    EXPECT_EQ(cmd.number, 100);
    cmd = ParseDriveCommand("file /tmp/my file.jpg 3");
    EXPECT_EQ(cmd.verb, DriveCommand::File);
    EXPECT_EQ(cmd.path, "/tmp/my file.jpg");
    EXPECT_EQ(cmd.number, 3);
    cmd = ParseDriveCommand("file /tmp/a.jpg");
    EXPECT_EQ(cmd.path, "/tmp/a.jpg");
    EXPECT_EQ(cmd.number, -1);
    EXPECT_EQ(ParseDriveCommand("activate 2").number, 2);
    EXPECT_EQ(ParseDriveCommand("activate 0").verb, DriveCommand::Invalid);
    EXPECT_EQ(ParseDriveCommand("command x").verb, DriveCommand::Invalid);
    EXPECT_EQ(ParseDriveCommand("dump").verb, DriveCommand::Dump);
    EXPECT_EQ(ParseDriveCommand("quit now").verb, DriveCommand::Invalid);
    EXPECT_EQ(ParseDriveCommand("frobnicate").verb, DriveCommand::Invalid);
    EXPECT_EQ(ParseDriveCommand("").verb, DriveCommand::Invalid);
}
