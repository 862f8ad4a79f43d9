/* Written files read back by independent readers (exiftool, exiv2, ImageMagick, tiffinfo
 * and tiffdump), each check skipped when its tool is missing, and vokexif's writing
 * commands run as a user would run them. */
#include "write_helpers.h"

#include <map>
#include <sstream>

using namespace imgw;
using imgtest::make_jpeg;

namespace {

std::string vokexif() {
    const char* bin = std::getenv("VOK_TEST_BIN");
    return std::string(bin ? bin : ".") + "/vokexif";
}

// exiftool's "-s -s -s"-free tag list as name -> value.
std::map<std::string, std::string> exif_tags(const std::string& path, const std::string& scratch,
                                             std::string* warnings) {
    ProgramRun r =
        RunShell("exiftool -a -G1 -s -n -all -validate -warning " + ShellQuote(path), scratch);
    std::map<std::string, std::string> tags;
    std::istringstream lines(r.out);
    std::string line;
    while (std::getline(lines, line)) {
        size_t colon = line.find(" : ");
        if (colon == std::string::npos)
            continue;
        // "[Group] Name" with the padding folded to one space.
        std::string key;
        for (char c : line.substr(0, colon)) {
            if (c != ' ' || (!key.empty() && key.back() != ' '))
                key += c;
        }
        if (!key.empty() && key.back() == ' ')
            key.pop_back();
        tags[key] = line.substr(colon + 3);
    }
    if (warnings)
        *warnings = r.err;
    return tags;
}

imgtest::JpegOptions sampled(imgtest::Sampling s) {
    imgtest::JpegOptions o;
    o.sampling = s;
    return o;
}

} // namespace

TEST_F(WriteTest, ExiftoolAndExiv2ReadTheCameraFormWithoutWarnings) {
    if (!HaveTool("exiftool") || !HaveTool("exiv2"))
        GTEST_SKIP() << "exiftool or exiv2 is not installed";
    std::string src = put_work("src.jpg", make_jpeg(640, 480, sampled(imgtest::Sampling::S1x1)));
    std::string dst = in_work("camera.jpg");
    ProgramRun conv = RunShell(vokexif() + " to-camera " + ShellQuote(src) + " " + ShellQuote(dst) +
                                   " --model RT70",
                               dir_);
    ASSERT_EQ(conv.status, 0) << conv.err;
    ProgramRun ready = RunShell(vokexif() + " camera-ready " + ShellQuote(dst), dir_);
    EXPECT_EQ(ready.out, "yes\n");

    std::string warnings;
    auto tags = exif_tags(dst, dir_, &warnings);
    EXPECT_EQ(tags["[ExifTool] Validate"], "0 0 0") << warnings; // errors, warnings, minor
    EXPECT_EQ(tags.count("[ExifTool] Warning"), 0u) << tags["[ExifTool] Warning"];
    EXPECT_EQ(tags["[IFD0] Make"], "Quintaral");
    EXPECT_EQ(tags["[IFD0] Model"], "RT70");
    EXPECT_FALSE(tags["[IFD0] ModifyDate"].empty());
    EXPECT_EQ(tags["[IFD0] ModifyDate"], tags["[ExifIFD] DateTimeOriginal"]);
    EXPECT_EQ(tags["[IFD0] ModifyDate"], tags["[ExifIFD] CreateDate"]);
    EXPECT_EQ(tags["[ExifIFD] ExifVersion"], "0210");
    EXPECT_EQ(tags["[ExifIFD] ExifImageWidth"], "640");
    EXPECT_EQ(tags["[ExifIFD] ExifImageHeight"], "480");
    EXPECT_EQ(tags["[InteropIFD] InteropIndex"], "R98");
    EXPECT_EQ(tags["[InteropIFD] InteropVersion"], "0100");
    // The offset counts from the file's start: SOI and the 10 bytes before the TIFF header.
    EXPECT_EQ(tags["[IFD1] ThumbnailOffset"], std::to_string(478 + 12));
    Bytes thumb = thumbnail_of(imgtest::read_file(dst));
    EXPECT_EQ(tags["[IFD1] ThumbnailLength"], std::to_string(thumb.size()));

    ProgramRun note = RunShell("exiv2 -q -K Exif.Photo.MakerNote -Pv " + ShellQuote(dst), dir_);
    EXPECT_EQ(note.out, "86 79 75 68 0 0\n");
    ProgramRun all = RunShell("exiv2 -pa " + ShellQuote(dst), dir_);
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(all.err, "");
    EXPECT_NE(all.out.find("Exif.Iop.InteroperabilityIndex"), std::string::npos);
    ProgramRun thumbs = RunShell("exiv2 -pp " + ShellQuote(dst), dir_);
    EXPECT_NE(thumbs.out.find("160x120"), std::string::npos) << thumbs.out;
    EXPECT_EQ(thumbs.err, "");

    // Other maker-note bytes (a TIFF upload uses 6 and 0): exiftool only notes, as a minor
    // point, that it does not know the maker note.
    std::string tiffStill = in_work("still.jpg");
    ASSERT_EQ(RunShell(vokexif() + " to-camera " + ShellQuote(src) + " " + ShellQuote(tiffStill) +
                           " --model RT70 --maker-note 6,0",
                       dir_)
                  .status,
              0);
    note = RunShell("exiv2 -q -K Exif.Photo.MakerNote -Pv " + ShellQuote(tiffStill), dir_);
    EXPECT_EQ(note.out, "86 79 75 68 6 0\n");
    EXPECT_EQ(exif_tags(tiffStill, dir_, nullptr)["[ExifTool] Validate"], "0 1 1");

    // Without overrides the template itself: thumbnail at TIFF offset 482.
    std::string plain = in_work("plain.jpg");
    ASSERT_EQ(ChangeFormatToExifAndSave(src.c_str(), plain.c_str(), nullptr, 0), 1);
    auto plainTags = exif_tags(plain, dir_, nullptr);
    EXPECT_EQ(plainTags["[IFD0] Model"], "qubex");
    EXPECT_EQ(plainTags["[IFD1] ThumbnailOffset"], std::to_string(482 + 12));
    EXPECT_EQ(plainTags["[ExifTool] Validate"], "0 0 0");
}

TEST_F(WriteTest, ImageMagickSeesSizeAndSampling) {
    if (!HaveTool("identify"))
        GTEST_SKIP() << "ImageMagick is not installed";
    std::string src = put_work("src.jpg", make_jpeg(480, 640, sampled(imgtest::Sampling::S2x2)));
    std::string dst = in_work("mail.jpg");
    ProgramRun conv = RunShell(vokexif() + " to-camera " + ShellQuote(src) + " " + ShellQuote(dst) +
                                   " --max 320x240",
                               dir_);
    ASSERT_EQ(conv.status, 0) << conv.err;
    ProgramRun id =
        RunShell("identify -format '%w %h %[jpeg:sampling-factor]' " + ShellQuote(dst), dir_);
    EXPECT_EQ(id.out, "192 240 2x1,1x1,1x1");
    EXPECT_EQ(id.err, "");
    // The thumbnail on its own.
    std::string thumb = put_work("thumb.jpg", thumbnail_of(imgtest::read_file(dst)));
    ProgramRun tid =
        RunShell("identify -format '%w %h %[jpeg:sampling-factor]' " + ShellQuote(thumb), dir_);
    EXPECT_EQ(tid.out, "160 120 2x1,1x1,1x1");
}

TEST_F(WriteTest, TiffToolsReadTheTiffWithTheSourcesPixels) {
    if (!HaveTool("tiffinfo") || !HaveTool("tiffdump") || !HaveTool("compare"))
        GTEST_SKIP() << "libtiff tools or ImageMagick are not installed";
    Bytes dib = pattern_dib(97, 61);
    VokImgBlock block = view_of(dib);
    std::string bmp = in_work("src.bmp");
    ASSERT_EQ(SaveThumbNail(&block, bmp.c_str()), 1);
    std::string tif = in_work("out.tif");
    ProgramRun conv =
        RunShell(vokexif() + " to-tiff " + ShellQuote(bmp) + " " + ShellQuote(tif), dir_);
    ASSERT_EQ(conv.status, 0) << conv.err;
    ProgramRun info = RunShell("tiffinfo " + ShellQuote(tif), dir_);
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(info.err, "");
    EXPECT_NE(info.out.find("Image Width: 97 Image Length: 61"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Photometric Interpretation: RGB color"), std::string::npos);
    EXPECT_NE(info.out.find("Rows/Strip: 61"), std::string::npos);
    ProgramRun dump = RunShell("tiffdump " + ShellQuote(tif), dir_);
    EXPECT_NE(dump.out.find("StripOffsets (273) LONG (4) 1<330>"), std::string::npos) << dump.out;
    EXPECT_NE(dump.out.find("StripByteCounts (279) LONG (4) 1<17751>"), std::string::npos);
    ProgramRun same =
        RunShell("compare -metric AE " + ShellQuote(bmp) + " " + ShellQuote(tif) + " null:", dir_);
    EXPECT_EQ(same.status, 0);
    EXPECT_EQ(same.err, "0");

    // From a JPEG: the decoded pixels, which the same decoder gives as BMP.
    std::string jpg = put_work("src.jpg", make_jpeg(64, 48));
    std::string tif2 = in_work("jpeg.tif");
    std::string bmp2 = in_work("jpeg.bmp");
    ASSERT_EQ(
        RunShell(vokexif() + " to-tiff " + ShellQuote(jpg) + " " + ShellQuote(tif2), dir_).status,
        0);
    ASSERT_EQ(
        RunShell(vokexif() + " jpg2bmp " + ShellQuote(jpg) + " " + ShellQuote(bmp2), dir_).status,
        0);
    ProgramRun same2 = RunShell(
        "compare -metric AE " + ShellQuote(bmp2) + " " + ShellQuote(tif2) + " null:", dir_);
    EXPECT_EQ(same2.err, "0");
}

TEST_F(WriteTest, VokexifWritingCommands) {
    std::string src = put_work("src.jpg", make_jpeg(320, 240));
    std::string out = in_work("out.jpg");
    EXPECT_EQ(RunShell(vokexif() + " camera-ready " + ShellQuote(src), dir_).out, "no\n");
    EXPECT_EQ(
        RunShell(vokexif() + " to-camera " + ShellQuote(src) + " " + ShellQuote(out), dir_).status,
        0);
    EXPECT_EQ(RunShell(vokexif() + " camera-ready " + ShellQuote(out), dir_).out, "yes\n");
    // Failure and missing disk space have their own exit statuses.
    std::string bad = put_work("bad.jpg", {0xFF, 0xD8, 0xFF, 0xD9});
    EXPECT_EQ(
        RunShell(vokexif() + " to-camera " + ShellQuote(bad) + " " + ShellQuote(out), dir_).status,
        1);
    ProgramRun full = RunShell("VOK_TEST_FREE_BYTES=10 " + vokexif() + " to-camera " +
                                   ShellQuote(src) + " " + ShellQuote(in_work("full.jpg")),
                               dir_);
    EXPECT_EQ(full.status, 3);
    EXPECT_FALSE(std::filesystem::exists(in_work("full.jpg")));
    // Options that cannot be honoured are usage errors.
    EXPECT_EQ(
        RunShell(vokexif() + " to-camera " + ShellQuote(src) + " " + ShellQuote(out) + " --max 3",
                 dir_)
            .status,
        2);
    EXPECT_EQ(RunShell(vokexif() + " to-camera " + ShellQuote(src) + " " + ShellQuote(out) +
                           " --maker-note 1,300",
                       dir_)
                  .status,
              2);
    EXPECT_EQ(
        RunShell(vokexif() + " to-camera " + ShellQuote(src) + " " + ShellQuote(out) + " --model",
                 dir_)
            .status,
        2);

    // The Model override holds 31 characters at most (an even count of 32 with its end).
    std::string longest(31, 'M');
    ASSERT_EQ(RunShell(vokexif() + " to-camera " + ShellQuote(src) + " " + ShellQuote(out) +
                           " --model " + longest,
                       dir_)
                  .status,
              0);
    ImageInfo info;
    ASSERT_EQ(GetExifData(out.c_str(), &info), 1);
    EXPECT_EQ(std::string(info.model), longest);
    ProgramRun tooLong = RunShell(vokexif() + " to-camera " + ShellQuote(src) + " " +
                                      ShellQuote(out) + " --model " + longest + "M",
                                  dir_);
    EXPECT_EQ(tooLong.status, 2);
    EXPECT_NE(tooLong.err.find("1 to 31 characters"), std::string::npos) << tooLong.err;

    std::string bmp = in_work("a.bmp");
    ASSERT_EQ(
        RunShell(vokexif() + " jpg2bmp " + ShellQuote(src) + " " + ShellQuote(bmp) + " --colors 8",
                 dir_)
            .status,
        0);
    BlockPtr dib(VokImg_ReadBmpFile(bmp.c_str()));
    ASSERT_TRUE(dib);
    EXPECT_LE(GetLe32(dib.get()->data + 32), 8u);
    EXPECT_EQ(
        RunShell(vokexif() + " jpg2bmp " + ShellQuote(src) + " " + ShellQuote(bmp) + " --colors 1",
                 dir_)
            .status,
        2);
    ASSERT_EQ(
        RunShell(vokexif() + " jpg2bmp " + ShellQuote(src) + " " + ShellQuote(bmp), dir_).status,
        0);

    std::string fitted = in_work("fit.bmp");
    ASSERT_EQ(
        RunShell(vokexif() + " fit " + ShellQuote(bmp) + " " + ShellQuote(fitted) + " 0x0", dir_)
            .status,
        0);
    BlockPtr f(VokImg_ReadBmpFile(fitted.c_str()));
    ASSERT_TRUE(f);
    EXPECT_EQ(GetLe32(f.get()->data + 4), 320u);
    EXPECT_EQ(GetLe32(f.get()->data + 8), 240u);
    ASSERT_EQ(
        RunShell(vokexif() + " fit " + ShellQuote(bmp) + " " + ShellQuote(fitted) + " 100x100",
                 dir_)
            .status,
        0);
    BlockPtr g(VokImg_ReadBmpFile(fitted.c_str()));
    ASSERT_TRUE(g);
    EXPECT_EQ(GetLe32(g.get()->data + 4), 112u); // 100 x 75 rounded up
    EXPECT_EQ(GetLe32(g.get()->data + 8), 80u);

    std::string jpeg = in_work("from-bmp.jpg");
    ASSERT_EQ(
        RunShell(vokexif() + " to-jpeg " + ShellQuote(bmp) + " " + ShellQuote(jpeg), dir_).status,
        0);
    EXPECT_EQ(RunShell(vokexif() + " camera-ready " + ShellQuote(jpeg), dir_).out, "yes\n");
    EXPECT_EQ(
        RunShell(vokexif() + " to-jpeg " + ShellQuote(src) + " " + ShellQuote(jpeg), dir_).status,
        1);
    EXPECT_EQ(
        RunShell(vokexif() + " to-tiff " + ShellQuote(in_work("none")) + " x.tif", dir_).status, 1);
    EXPECT_TRUE(list_folder(tmp_).empty());
}
