/* Tests of the settings store's text form: what is read from a file, what a change writes, and
 * that unreadable lines survive a rewrite byte for byte. */
#include "RegStore.h"

#include <gtest/gtest.h>

#include <climits>

using namespace vokreg;

namespace {

Store parse(const std::string& s) {
    return parseStore(s.data(), s.size());
}

Value text(const std::string& t) {
    Value v;
    v.kind = ValueKind::Text;
    v.text = t;
    return v;
}

Value number(int32_t n) {
    Value v;
    v.kind = ValueKind::Number;
    v.number = n;
    return v;
}

// Writes one value into a fresh store, reads the file text back and returns what was read.
const Line* roundTrip(Store& out, const std::string& key, const std::string& name,
                      const Value& value) {
    Store store;
    setValue(store, key, name, value);
    out = parse(serializeStore(store));
    EXPECT_FALSE(out.damaged()) << serializeStore(store);
    return findValue(out, key, name);
}

} // namespace

TEST(reg_store, ReadsTextAndNumberValues) {
    Store s = parse("; comment\n[software\\Quintaral\\VQL-RT70\\Event_App]\nActive=1\n"
                    "Path_Mail=\"/home/u/mail\"\n\n# other comment\n");
    EXPECT_FALSE(s.damaged());
    const Line* active = findValue(s, "software\\Quintaral\\VQL-RT70\\Event_App", "Active");
    ASSERT_NE(active, nullptr);
    EXPECT_EQ(active->value.kind, ValueKind::Number);
    EXPECT_EQ(active->value.number, 1);
    const Line* mail = findValue(s, "software\\Quintaral\\VQL-RT70\\Event_App", "Path_Mail");
    ASSERT_NE(mail, nullptr);
    EXPECT_EQ(mail->value.kind, ValueKind::Text);
    EXPECT_EQ(mail->value.text, "/home/u/mail");
    EXPECT_EQ(findValue(s, "software\\Quintaral\\VQL-RT70\\Application", "Active"), nullptr);
}

TEST(reg_store, SpacesAroundEqualsAndCrLfAreAccepted) {
    Store s = parse("[k]\r\n  Active  =  -7  \r\nName = \" a \"\r\n");
    EXPECT_FALSE(s.damaged());
    ASSERT_NE(findValue(s, "k", "Active"), nullptr);
    EXPECT_EQ(findValue(s, "k", "Active")->value.number, -7);
    EXPECT_EQ(findValue(s, "k", "Name")->value.text, " a ");
}

TEST(reg_store, KeysAndNamesCompareCaseInsensitivelyAndKeepTheirCase) {
    Store s;
    EXPECT_TRUE(setValue(s, "Software\\Quintaral\\X", "Path_Image", text("a")));
    EXPECT_TRUE(setValue(s, "SOFTWARE\\quintaral\\x", "PATH_IMAGE", text("b")));
    std::string file = serializeStore(s);
    EXPECT_EQ(file, "[Software\\Quintaral\\X]\nPath_Image=\"b\"\n");
    Store back = parse(file);
    ASSERT_NE(findValue(back, "software\\QUINTARAL\\x", "path_image"), nullptr);
    EXPECT_EQ(findValue(back, "software\\QUINTARAL\\x", "path_image")->value.text, "b");
}

TEST(reg_store, NumbersKeepTheirFullRange) {
    for (int32_t n : {0, 1, -1, INT32_MAX, INT32_MIN, 123456789}) {
        Store out;
        const Line* line = roundTrip(out, "k", "n", number(n));
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->value.kind, ValueKind::Number);
        EXPECT_EQ(line->value.number, n);
    }
}

TEST(reg_store, NumbersOutOfRangeOrMalformedAreDamagedLines) {
    for (const char* bad : {"n=2147483648", "n=-2147483649", "n=99999999999999999999", "n=1x",
                            "n=- 1", "n=0x10", "n=", "n=+1", "n=1 2", "n=\"open", "n=\"a\" b",
                            "n=\"bad\\q\"", "n=\"nul\\x00\"", "n=\"x\\x4\""}) {
        Store s = parse(std::string("[k]\n") + bad + "\n");
        EXPECT_EQ(s.damagedLines, 1u) << bad;
        EXPECT_EQ(findValue(s, "k", "n"), nullptr) << bad;
    }
    Store s = parse("[k]\nn=-2147483648\nm=2147483647\n");
    EXPECT_FALSE(s.damaged());
    EXPECT_EQ(findValue(s, "k", "n")->value.number, INT32_MIN);
}

TEST(reg_store, SpecialCharactersRoundTrip) {
    const std::string samples[] = {
        "a=b",
        "; not a comment",
        "[not a section]",
        "  leading and trailing  ",
        "quote \" and \\ backslash",
        "line\nbreak\r\nand\ttab",
        "ctrl \x01\x1f\x7f",
        "UTF-8: Grüße, ça, 日本語",
        "#hash",
        "\"quoted\"",
        "",
    };
    for (const std::string& t : samples) {
        Store out;
        const Line* line = roundTrip(out, "software\\Quintaral\\VQL-RT70\\Event_App", "v", text(t));
        ASSERT_NE(line, nullptr) << t;
        EXPECT_EQ(line->value.kind, ValueKind::Text);
        EXPECT_EQ(line->value.text, t);
    }
}

TEST(reg_store, OddValueNamesRoundTrip) {
    for (const std::string name : {"", "a=b", " padded ", ";x", "#x", "[x]", "\"q\"", "tab\tin",
                                   "new\nline", "Grüße", "x]"}) {
        Store out;
        const Line* line = roundTrip(out, "k", name, number(5));
        ASSERT_NE(line, nullptr) << name;
        EXPECT_EQ(line->name, name);
        EXPECT_EQ(line->value.number, 5);
    }
}

TEST(reg_store, OddKeyPathsRoundTrip) {
    for (const std::string key :
         {"a]b", "x]", "with space\\ and = sign", "Grüße\\日本", "[bracket", "a;b#c"}) {
        Store out;
        const Line* line = roundTrip(out, key, "v", number(3));
        ASSERT_NE(line, nullptr) << key;
        EXPECT_EQ(line->value.number, 3);
    }
}

TEST(reg_store, KeyPathsAreNormalised) {
    std::string out;
    EXPECT_TRUE(normaliseKeyPath("software\\Quintaral", "Event_App", out));
    EXPECT_EQ(out, "software\\Quintaral\\Event_App");
    EXPECT_TRUE(normaliseKeyPath("\\a\\\\b\\", "", out));
    EXPECT_EQ(out, "a\\b");
    EXPECT_FALSE(normaliseKeyPath("", "", out));
    EXPECT_FALSE(normaliseKeyPath("\\\\", "\\", out));
    EXPECT_FALSE(normaliseKeyPath("a\nb", "c", out));
    EXPECT_FALSE(normaliseKeyPath("a", std::string("b\0c", 3), out));
    Store s = parse("[a\\\\b\\]\nv=1\n");
    ASSERT_NE(findValue(s, "a\\b", "v"), nullptr);
}

TEST(reg_store, DuplicatesFirstOneWinsAndIsTheOneChanged) {
    std::string file = "[k]\nv=1\nV=2\n[K]\nv=3\n";
    Store s = parse(file);
    EXPECT_FALSE(s.damaged());
    EXPECT_EQ(findValue(s, "k", "v")->value.number, 1);
    EXPECT_TRUE(setValue(s, "k", "V", number(9)));
    EXPECT_EQ(serializeStore(s), "[k]\nv=9\nV=2\n[K]\nv=3\n");
    // A value only in the second copy of a section is still found.
    Store t = parse("[k]\na=1\n[other]\nb=2\n[K]\nb=3\n");
    EXPECT_EQ(findValue(t, "k", "b")->value.number, 3);
}

TEST(reg_store, SettingTheSameValueAgainChangesNothing) {
    Store s = parse("[k]\nv = 1\n");
    EXPECT_FALSE(setValue(s, "k", "v", number(1)));
    EXPECT_EQ(serializeStore(s), "[k]\nv = 1\n");
    EXPECT_TRUE(setValue(s, "k", "v", text("1"))); // the kind is part of the value
    EXPECT_EQ(serializeStore(s), "[k]\nv=\"1\"\n");
}

TEST(reg_store, NewValuesGoToTheEndOfTheirSection) {
    Store s = parse("[a]\nx=1\n\n[b]\ny=2\n");
    EXPECT_TRUE(setValue(s, "A", "z", number(3)));
    EXPECT_TRUE(setValue(s, "c", "w", text("t")));
    EXPECT_EQ(serializeStore(s), "[a]\nx=1\nz=3\n\n[b]\ny=2\n\n[c]\nw=\"t\"\n");
}

TEST(reg_store, DamagedLinesAreKeptByteForByte) {
    std::string garbage = std::string("no equals sign\n\x01\x02\xff\xfe binary\n") +
                          std::string("nul\0inside=1\n", 13) + "=1\n";
    std::string file = "orphan=1\n[k]\nv=1\n" + garbage + "[unclosed\nw=2\n[j]\nu=\"t\"\nlast line";
    Store s = parse(file);
    EXPECT_TRUE(s.damaged());
    EXPECT_EQ(s.damagedLines, 8u); // orphan, 4 garbage lines, [unclosed, w under it, last line
    EXPECT_EQ(findValue(s, "k", "v")->value.number, 1);
    EXPECT_EQ(findValue(s, "j", "u")->value.text, "t");
    EXPECT_EQ(findValue(s, "k", "w"), nullptr); // belongs to the damaged header
    EXPECT_EQ(serializeStore(s), file + "\n");

    EXPECT_TRUE(setValue(s, "k", "new", number(4)));
    std::string rewritten = serializeStore(s);
    EXPECT_NE(rewritten.find(garbage), std::string::npos);
    Store again = parse(rewritten);
    EXPECT_EQ(findValue(again, "k", "new")->value.number, 4);
    // The new value went in before the damaged header, where it is read back.
    EXPECT_LT(rewritten.find("new=4"), rewritten.find("[unclosed"));
}

TEST(reg_store, OversizedInputIsCutAtALineEnd) {
    std::string file = "[k]\nv=1\n";
    while (file.size() <= kMaxStoreBytes)
        file += "; filler filler filler filler filler filler filler filler\n";
    file += "[k2]\nw=2\n";
    Store s = parse(file);
    EXPECT_TRUE(s.cutOff);
    EXPECT_TRUE(s.damaged());
    EXPECT_EQ(findValue(s, "k", "v")->value.number, 1);
    EXPECT_EQ(findValue(s, "k2", "w"), nullptr);
    std::string out = serializeStore(s);
    EXPECT_LE(out.size(), kMaxStoreBytes);
    EXPECT_EQ(out.back(), '\n');

    std::string oneLine(kMaxStoreBytes + 10, 'x');
    Store t = parse(oneLine);
    EXPECT_TRUE(t.cutOff);
    EXPECT_TRUE(t.lines.empty());
}

TEST(reg_store, EmptyAndNewlineOnlyInputs) {
    EXPECT_TRUE(parse("").lines.empty());
    Store s = parse("\n\n");
    EXPECT_EQ(s.lines.size(), 2u);
    EXPECT_FALSE(s.damaged());
    EXPECT_EQ(serializeStore(s), "\n\n");
}

TEST(reg_store, Utf8CutNeverSplitsACharacter) {
    std::string s = "ab\xc3\xa9"; // "abé"
    EXPECT_EQ(utf8Cut(s.data(), s.size(), 4), 4u);
    EXPECT_EQ(utf8Cut(s.data(), s.size(), 3), 2u);
    EXPECT_EQ(utf8Cut(s.data(), s.size(), 2), 2u);
    std::string cjk = "\xe6\x97\xa5\xe6\x9c\xac"; // two 3-byte characters
    EXPECT_EQ(utf8Cut(cjk.data(), cjk.size(), 5), 3u);
    EXPECT_EQ(utf8Cut(cjk.data(), cjk.size(), 4), 3u);
    EXPECT_EQ(utf8Cut(cjk.data(), cjk.size(), 3), 3u);
    EXPECT_EQ(utf8Cut(cjk.data(), cjk.size(), 2), 0u);
    std::string stray = "a\x80\x80\x80\x80\x80"; // not UTF-8: cut where it falls
    EXPECT_EQ(utf8Cut(stray.data(), stray.size(), 4), 4u);
}
