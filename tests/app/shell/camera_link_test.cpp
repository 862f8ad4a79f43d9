/* The camera link's plain answers (cancel flag, deletion count, busy query, the library's
 * dialogs), the Data out order and paths, the still beside a movie, and the mail job table an
 * event-2 download fills. */
#include "VokComRT70.h"
#include "camera_link.h"
#include "mail_jobs.h"

#include <gtest/gtest.h>

using namespace qubex::camera;

namespace {

intptr_t Ask(CameraLink* link, unsigned message, uintptr_t code, intptr_t value,
             bool expectHandled = true) {
    bool handled = !expectHandled;
    const intptr_t answer = AnswerPlain(link, message, code, value, &handled);
    EXPECT_EQ(handled, expectHandled) << message << " " << code;
    return answer;
}

TEST(CameraLinkTest, PlainAnswersKeepTheRecord) {
    CameraLink link;
    EXPECT_EQ(Ask(&link, WM_DSC_CANCEL, DSC_CANCEL_POLL, 0), 0);
    Ask(&link, WM_DSC_CANCEL, DSC_CANCEL_SET, 1);
    EXPECT_EQ(Ask(&link, WM_DSC_CANCEL, DSC_CANCEL_POLL, 0), 1);
    Ask(&link, WM_DSC_CANCEL, DSC_CANCEL_SET, 0);
    EXPECT_EQ(Ask(&link, WM_DSC_CANCEL, DSC_CANCEL_POLL, 0), 0);
    Ask(&link, WM_DSC_CANCEL, DSC_CANCEL_DELETE_COUNT, 7);
    EXPECT_EQ(Ask(&link, WM_DSC_CANCEL, DSC_CANCEL_DELETE_ALL, 0), 7);

    // Busy exactly while a connection is open.
    EXPECT_EQ(Ask(&link, WM_DSC_STATUS, DSC_STATUS_BUSY_QUERY, 0), 0);
    link.communicating = true;
    EXPECT_EQ(Ask(&link, WM_DSC_STATUS, DSC_STATUS_BUSY_QUERY, 0), 1);

    int dialog = 0, first = 0, second = 0;
    Ask(&link, WM_DSC_STATUS, DSC_STATUS_DIALOG, reinterpret_cast<intptr_t>(&dialog));
    EXPECT_EQ(link.libraryDialog, &dialog);
    EXPECT_TRUE(link.libraryDialogShown);
    Ask(&link, WM_DSC_STATUS, DSC_STATUS_DIALOG, 0);
    EXPECT_FALSE(link.libraryDialogShown);
    // Modeless dialogs nest: closing one brings the previous one back.
    Ask(&link, WM_DSC_STATUS, DSC_STATUS_MODELESS_OPEN, reinterpret_cast<intptr_t>(&first));
    Ask(&link, WM_DSC_STATUS, DSC_STATUS_MODELESS_OPEN, reinterpret_cast<intptr_t>(&second));
    Ask(&link, WM_DSC_STATUS, DSC_STATUS_MODELESS_CLOSED, 0);
    ASSERT_EQ(link.modelessDialogs.size(), 1u);
    EXPECT_EQ(link.modelessDialogs.back(), &first);
    Ask(&link, WM_DSC_STATUS, DSC_STATUS_MODELESS_CLOSED, 0);
    Ask(&link, WM_DSC_STATUS, DSC_STATUS_MODELESS_CLOSED, 0);
    EXPECT_TRUE(link.modelessDialogs.empty());

    // What needs the frame is left to it.
    for (uintptr_t code :
         {DSC_STATUS_CONNECTION, DSC_STATUS_ALBUM, DSC_STATUS_FILE_WRITTEN, DSC_STATUS_SINGLE_IMAGE,
          DSC_STATUS_MAIL_FILE, DSC_STATUS_MAIL_END, DSC_STATUS_MAIL_START})
        Ask(&link, WM_DSC_STATUS, code, 0, false);
    Ask(&link, WM_DSC_QUERYFILE, DSC_QUERYFILE_KIND, 0, false);
}

TEST(CameraLinkTest, DataOutOrderPathsFiltersAndStills) {
    EXPECT_EQ(SendingOrder("/home/u", {"a.jpg", "b.jpg", "c.jpg"}),
              (std::vector<std::string>{"/home/u/c.jpg", "/home/u/b.jpg", "/home/u/a.jpg"}));
    EXPECT_EQ(SendingOrder("/", {"a.jpg"}), (std::vector<std::string>{"/a.jpg"}));
    EXPECT_EQ(SendingOrder("/p/", {"a.jpg", "b.jpg"}),
              (std::vector<std::string>{"/p/b.jpg", "/p/a.jpg"}));
    EXPECT_TRUE(SendingOrder("/p", {}).empty());

    EXPECT_EQ(UploadFilters(true).size(), 4u);
    EXPECT_EQ(UploadFilters(false).size(), 3u);
    EXPECT_EQ(UploadFilters(false)[0].rfind("All Files(jpg;tif) (", 0), 0u);

    EXPECT_EQ(StillPathOf("/d/DSC00007.mov"), "/d/DSC00007.jpg");
    EXPECT_EQ(StillPathOf("/d.x/movie"), "/d.x/movie.jpg");
}

TEST(MailJobsTest, EventMailsTakeRecordAndRelease) {
    qubex::mail::MailJobs jobs;
    const int job = jobs.Take();
    EXPECT_EQ(job, 0);
    EXPECT_EQ(jobs.active, 1);
    EXPECT_TRUE(jobs.Record(job, "/m/DSC00001.jpg"));
    EXPECT_TRUE(jobs.Record(job, "/m/DSC00002.jpg"));
    EXPECT_FALSE(jobs.Record(1, "/m/x.jpg")) << "a job nobody took";
    EXPECT_FALSE(jobs.Record(50, "/m/x.jpg"));
    EXPECT_FALSE(jobs.Record(-1, "/m/x.jpg"));
    EXPECT_EQ(jobs.Release(job), (std::vector<std::string>{"/m/DSC00001.jpg", "/m/DSC00002.jpg"}));
    EXPECT_EQ(jobs.active, 0);
    EXPECT_TRUE(jobs.Release(job).empty());
    for (int i = 0; i < qubex::mail::kMaxMailJobs; ++i)
        EXPECT_EQ(jobs.Take(), i);
    EXPECT_EQ(jobs.Take(), qubex::mail::kMaxMailJobs) << "all 50 busy";
}

} // namespace
