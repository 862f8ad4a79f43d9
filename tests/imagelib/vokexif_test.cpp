/* vokexif from the outside: each command's output and exit status, and the record that
 * `vokexif info` prints compared with exiftool on files that ImageMagick and exiftool
 * wrote (skipped when those tools are not installed). */
#include "VokExif.h"
#include "img_test_env.h"

#include <map>
#include <sstream>
#include <vector>

using namespace imgtest;

namespace {

using Outcome = voktest::ProgramRun;
using voktest::HaveTool;
using voktest::RunShell;
using voktest::ShellQuote;

std::string vokexif() {
    const char* bin = std::getenv("VOK_TEST_BIN");
    return ShellQuote(std::string(bin ? bin : ".") + "/vokexif");
}

// "name: value" lines in order.
std::vector<std::pair<std::string, std::string>> fields(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> list;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        size_t colon = line.find(": ");
        if (colon == std::string::npos)
            continue;
        list.emplace_back(line.substr(0, colon), line.substr(colon + 2));
    }
    return list;
}

std::map<std::string, std::string>
as_map(const std::vector<std::pair<std::string, std::string>>& l) {
    return std::map<std::string, std::string>(l.begin(), l.end());
}

std::string rtrim(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.pop_back();
    return s;
}

class VokexifTest : public ImgTest {
  protected:
    Outcome tool(const std::string& args) { return RunShell(vokexif() + " " + args, dir_); }
    std::map<std::string, std::string> info(const std::string& path) {
        Outcome r = tool("info " + ShellQuote(path));
        EXPECT_EQ(r.status, 0) << r.err;
        return as_map(fields(r.out));
    }
    std::map<std::string, std::string> exiftool(const std::string& path) {
        Outcome r = RunShell("exiftool -n -S -f -Make -Model -ExifVersion -InteropIndex "
                             "-DateTimeOriginal -ModifyDate -ExifImageWidth -ExifImageHeight "
                             "-ImageWidth -ImageHeight -FileModifyDate " +
                                 ShellQuote(path),
                             dir_);
        EXPECT_EQ(r.status, 0) << r.err;
        std::map<std::string, std::string> m = as_map(fields(r.out));
        for (auto& [k, v] : m) {
            if (v == "-")
                v.clear();
        }
        return m;
    }
    // The facts both programs read must agree.
    void expect_agrees(const std::string& path, bool tiff) {
        SCOPED_TRACE(path);
        auto ours = info(path);
        auto theirs = exiftool(path);
        std::string width = theirs["ImageWidth"];
        std::string height = theirs["ImageHeight"];
        if (!tiff && !theirs["ExifImageWidth"].empty()) {
            width = theirs["ExifImageWidth"];
            height = theirs["ExifImageHeight"];
        }
        EXPECT_EQ(ours["width"], width);
        EXPECT_EQ(ours["height"], height);
        // Without a date in the file, the record's date is the file's last-write time.
        std::string fileTime = theirs["FileModifyDate"].substr(0, 19);
        if (tiff) {
            EXPECT_EQ(ours["date_taken"],
                      theirs["ModifyDate"].empty() ? fileTime : theirs["ModifyDate"]);
        } else if (IsImageFileType(path.c_str()) != VOK_IMG_KIND_EXIF) {
            EXPECT_EQ(ours["date_taken"], fileTime);
            EXPECT_EQ(ours["date_changed"], "");
        } else {
            EXPECT_EQ(ours["date_taken"], theirs["DateTimeOriginal"]);
            EXPECT_EQ(ours["date_changed"], theirs["ModifyDate"]);
        }
        EXPECT_EQ(rtrim(ours["make"]), rtrim(theirs["Make"]));
        EXPECT_EQ(rtrim(ours["model"]), rtrim(theirs["Model"]));
        EXPECT_EQ(ours["exif_version"], theirs["ExifVersion"]);
        EXPECT_EQ(ours["interop_index"], theirs["InteropIndex"]);
    }
    void need(std::initializer_list<const char*> tools) {
        for (const char* t : tools) {
            if (!HaveTool(t))
                GTEST_SKIP() << t << " is not installed";
        }
    }
    void sh(const std::string& command) {
        Outcome r = RunShell("cd " + ShellQuote(dir_) + " && " + command, dir_);
        ASSERT_EQ(r.status, 0) << command << "\n" << r.err;
    }
};

Bytes camera_file(bool be, bool thumbnail) {
    TiffPlan plan = camera_exif(be, 64, 48);
    if (thumbnail) {
        JpegOptions o;
        o.jfif = false;
        plan.hasIfd1 = true;
        plan.thumbnail = make_jpeg(160, 120, o);
    }
    return insert_after_soi(make_jpeg(64, 48), exif_app1(build_tiff(plan)));
}

} // namespace

TEST_F(VokexifTest, InfoPrintsTheRecordInOrder) {
    std::string path = put("cam.jpg", camera_file(true, true));
    Outcome r = tool("info " + ShellQuote(path));
    ASSERT_EQ(r.status, 0) << r.err;
    auto list = fields(r.out);
    const char* names[] = {
        "width", "height",      "date_taken",   "date_changed",   "file_name",   "folder",
        "kind",  "thumb_width", "thumb_height", "thumb_sampling", "compression", "photometric",
        "make",  "model",       "exif_version", "interop_index",  "thumb_state"};
    ASSERT_EQ(list.size(), sizeof names / sizeof names[0]) << r.out;
    for (size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(list[i].first, names[i]);
    auto m = as_map(list);
    EXPECT_EQ(m["width"], "64");
    EXPECT_EQ(m["date_taken"], "1999:12:31 23:59:59");
    EXPECT_EQ(m["date_changed"], "2000:01:05 13:45:10");
    EXPECT_EQ(m["file_name"], "cam.jpg");
    EXPECT_EQ(m["folder"], dir_ + "/");
    EXPECT_EQ(m["kind"], "1");
    EXPECT_EQ(m["thumb_width"], "160");
    EXPECT_EQ(m["thumb_sampling"], "2 1 1 1 1 1 0 0");
    EXPECT_EQ(m["interop_index"], "R98");
    EXPECT_EQ(m["thumb_state"], "0");
}

TEST_F(VokexifTest, OtherCommands) {
    std::string path = put("cam.jpg", camera_file(false, false));
    Outcome r = tool("kind " + ShellQuote(path));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "1\n");
    r = tool("frame " + ShellQuote(path));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "width: 64\nheight: 48\ncomponents: 3\nsampling: 2 1 1 1 1 1 0 0\n");
    r = tool("huffman " + ShellQuote(path));
    EXPECT_EQ(r.out, "other\n");
    std::string merged = put("one.jpg", merge_dht(make_jpeg(16, 16)));
    r = tool("huffman " + ShellQuote(merged));
    EXPECT_EQ(r.out, "standard\n");
    r = tool("date " + ShellQuote(path) + " 0");
    EXPECT_EQ(r.out, "DEC.31.1999 23:59:59\n");
    r = tool("date " + ShellQuote(path) + " 1");
    EXPECT_EQ(r.out, "31 DEC.,1999 23:59:59\n");
    r = tool("date " + ShellQuote(path) + " 3");
    EXPECT_EQ(r.out, "1999:12:31 23:59:59\n");
    r = tool("kind " + ShellQuote(dir_ + "/none.jpg"));
    EXPECT_EQ(r.out, "0\n");
}

// A command-line run shows no box and so never loads Qt (its widget side is a plugin); the
// dynamic loader's own record of what it mapped tells.
TEST_F(VokexifTest, CommandLineRunsNeverMapQt) {
    std::string path = put("cam.jpg", camera_file(false, false));
    std::string src = put("src.jpg", make_jpeg(320, 240));
    for (const std::string& args :
         {"kind " + ShellQuote(path), "info " + ShellQuote(path),
          "to-camera " + ShellQuote(src) + " " + ShellQuote(dir_ + "/out.jpg"),
          "info " + ShellQuote(dir_ + "/none.jpg")}) {
        const std::string record = dir_ + "/loader";
        Outcome r = RunShell("(LD_DEBUG=libs LD_DEBUG_OUTPUT=" + ShellQuote(record) + " " +
                                 vokexif() + " " + args + " >/dev/null 2>&1; cat " +
                                 ShellQuote(record) + ".* >&2; rm -f " + ShellQuote(record) + ".*)",
                             dir_);
        EXPECT_NE(r.err.find("libVokExif.so"), std::string::npos) << args;
        EXPECT_EQ(r.err.find("libQt6"), std::string::npos) << args;
    }
}

TEST_F(VokexifTest, FailuresAndUsageErrors) {
    Outcome r = tool("info " + ShellQuote(dir_ + "/none.jpg"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot read"), std::string::npos);
    r = tool("frame " + ShellQuote(put("b.bmp", make_bmp(2, 2))));
    EXPECT_EQ(r.status, 1);
    r = tool("");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("usage"), std::string::npos);
    r = tool("frobnicate x");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("unknown command"), std::string::npos);
    r = tool("kind");
    EXPECT_EQ(r.status, 2);
    r = tool("kind a b");
    EXPECT_EQ(r.status, 2);
    r = tool("date x.jpg");
    EXPECT_EQ(r.status, 2);
    r = tool("date x.jpg zero");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("MODE"), std::string::npos);
    r = tool("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("huffman"), std::string::npos);
}

TEST_F(VokexifTest, InfoOverSeveralFiles) {
    std::string a = put("a.jpg", camera_file(false, false));
    std::string b = put("b.bmp", make_bmp(5, 4));
    Outcome r = tool("info " + ShellQuote(a) + " " + ShellQuote(b));
    EXPECT_EQ(r.status, 0);
    auto list = fields(r.out);
    ASSERT_EQ(list.size(), 2u * 18u);
    EXPECT_EQ(list[0].first, "path");
    EXPECT_EQ(list[18].second, b);
    EXPECT_EQ(list[19].second, "5");
}

TEST_F(VokexifTest, AgreesWithExiftoolOnOurOwnFiles) {
    need({"exiftool"});
    for (bool be : {false, true}) {
        for (bool thumb : {false, true}) {
            std::string name = std::string(be ? "mm" : "ii") + (thumb ? "t" : "") + ".jpg";
            expect_agrees(put(name, camera_file(be, thumb)), false);
        }
    }
    std::vector<TiffEntry> extra = {ascii(271, "Maker"), ascii(272, "Modeller"),
                                    ascii(306, "2003:04:05 06:07:08")};
    expect_agrees(put("ii.tif", make_tiff_file(false, 12, 10, extra, true, true)), true);
    expect_agrees(put("mm.tif", make_tiff_file(true, 12, 10, extra, true, false)), true);
}

TEST_F(VokexifTest, AgreesWithExiftoolOnJpegsWrittenByImageMagickAndExiftool) {
    need({"exiftool", "convert"});
    sh("convert -size 64x48 gradient: a.jpg");
    sh("exiftool -q -overwrite_original -Make=X -Model=Y '-DateTimeOriginal=2001:02:03 04:05:06' "
       "a.jpg");
    expect_agrees(dir_ + "/a.jpg", false);
    EXPECT_EQ(info(dir_ + "/a.jpg")["kind"], "0"); // no interoperability directory

    sh("convert -size 120x90 gradient:red-blue -sampling-factor 2x2 b.jpg");
    sh("exiftool -q -overwrite_original -Make=Canon '-Model=PowerShot A1' -ExifVersion=0220 "
       "-InteropIndex=R98 '-ModifyDate=2010:11:12 13:14:15' '-DateTimeOriginal=2009:01:02 "
       "03:04:05' "
       "-ExifImageWidth=120 -ExifImageHeight=90 b.jpg");
    expect_agrees(dir_ + "/b.jpg", false);
    auto b = info(dir_ + "/b.jpg");
    EXPECT_EQ(b["kind"], "1");
    EXPECT_EQ(b["thumb_state"], "999");

    // A thumbnail added by exiftool, in an Exif set exiftool writes little-endian.
    sh("convert -size 16x12 gradient:red-blue -sampling-factor 2x1 thumb.jpg");
    sh("convert -size 200x150 gradient:green-white c.jpg");
    sh("exiftool -q -overwrite_original -ExifByteOrder=II -Make=Z -Model=W -InteropIndex=THM "
       "'-ThumbnailImage<=thumb.jpg' c.jpg");
    expect_agrees(dir_ + "/c.jpg", false);
    auto c = info(dir_ + "/c.jpg");
    EXPECT_EQ(c["thumb_width"], "16");
    EXPECT_EQ(c["thumb_height"], "12");
    EXPECT_EQ(c["thumb_sampling"], "2 1 1 1 1 1 0 0");
    EXPECT_EQ(c["width"], "200");

    // A plain JPEG with nothing but JFIF.
    sh("convert -size 33x17 xc:white d.jpg");
    expect_agrees(dir_ + "/d.jpg", false);
}

TEST_F(VokexifTest, AgreesWithExiftoolOnTiffsWrittenByImageMagick) {
    need({"exiftool", "convert"});
    sh("convert -size 40x30 gradient: t.tif");
    expect_agrees(dir_ + "/t.tif", true);
    sh("exiftool -q -overwrite_original -Make=TM -Model=TMod '-ModifyDate=2002:03:04 05:06:07' "
       "-InteropIndex=R98 t.tif");
    expect_agrees(dir_ + "/t.tif", true);
    sh("convert -size 50x20 gradient: -define tiff:endian=msb -compress lzw m.tif");
    sh("exiftool -q -overwrite_original -Make=BigEnd -Model=M2 '-ModifyDate=2004:05:06 07:08:09' "
       "-ExifVersion=0230 m.tif");
    expect_agrees(dir_ + "/m.tif", true);
    auto m = info(dir_ + "/m.tif");
    EXPECT_EQ(m["kind"], "5");
    EXPECT_EQ(m["compression"], "5");
    Bytes head = read_file(dir_ + "/m.tif");
    ASSERT_GE(head.size(), 2u);
    EXPECT_EQ(head[0], 'M');
}

TEST_F(VokexifTest, AgreesWithExiftoolOnFilesTaggedByExiv2AndLibtiff) {
    need({"exiftool", "convert", "exiv2", "tiffcp", "tiffset"});
    // exiv2 writes a little-endian Exif set with an interoperability directory.
    sh("convert -size 30x20 gradient:red-blue e.jpg");
    sh("exiv2 -M'set Exif.Image.Make ExivMake' -M'set Exif.Image.Model ExivModel' "
       "-M'set Exif.Photo.DateTimeOriginal 2011:01:02 03:04:05' "
       "-M'set Exif.Image.DateTime 2012:01:02 03:04:05' "
       "-M'set Exif.Iop.InteroperabilityIndex R98' e.jpg");
    expect_agrees(dir_ + "/e.jpg", false);
    EXPECT_EQ(info(dir_ + "/e.jpg")["kind"], "1");
    // libtiff's own tools: a compressed copy with tags set in place.
    sh("convert -size 20x10 gradient: g.tif && tiffcp -c lzw g.tif h.tif");
    sh("tiffset -s 271 TiffsetMake h.tif && tiffset -s 272 TiffsetModel h.tif && "
       "tiffset -s 306 '2013:01:02 03:04:05' h.tif");
    expect_agrees(dir_ + "/h.tif", true);
    EXPECT_EQ(info(dir_ + "/h.tif")["compression"], "5");
}
