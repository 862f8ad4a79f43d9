/* The mail job table: at most 50 mail jobs at once, zeroed at start-up, and whether mail is
 * available (set once movie playback, and with it the start-up, has succeeded). An event-2
 * download takes a job, records each file written for it and then hands it to the sender. */
#ifndef QUBEX_MAIL_JOBS_H
#define QUBEX_MAIL_JOBS_H

#include <array>
#include <string>
#include <vector>

namespace qubex::mail {

constexpr int kMaxMailJobs = 50;

struct MailJob {
    bool busy = false;
    std::vector<std::string> files;
};

struct MailJobs {
    int active = 0;
    bool available = false;
    std::array<MailJob, kMaxMailJobs> jobs;
    /* Zeroed table, mail unavailable. */
    void Reset() { *this = MailJobs(); }
    /* A new job may start: fewer than 50 run and mail is available. */
    bool CanStart() const { return available && active < kMaxMailJobs; }
    /* A free job, now busy and empty; kMaxMailJobs when all are busy. */
    int Take();
    /* A file written for a busy job; false for a job that is not busy. */
    bool Record(int job, const std::string& path);
    /* The job's files, and the job free again. */
    std::vector<std::string> Release(int job);
};

/* The program's one table. */
MailJobs& Jobs();

} // namespace qubex::mail

#endif
