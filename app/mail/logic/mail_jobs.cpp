/* The program's mail job table. */
#include "mail_jobs.h"

namespace qubex::mail {

namespace {
bool Valid(int job) {
    return job >= 0 && job < kMaxMailJobs;
}
} // namespace

int MailJobs::Take() {
    for (int i = 0; i < kMaxMailJobs; ++i)
        if (!jobs[i].busy) {
            jobs[i] = MailJob();
            jobs[i].busy = true;
            ++active;
            return i;
        }
    return kMaxMailJobs;
}

bool MailJobs::Record(int job, const std::string& path) {
    if (!Valid(job) || !jobs[job].busy)
        return false;
    jobs[job].files.push_back(path);
    return true;
}

std::vector<std::string> MailJobs::Release(int job) {
    if (!Valid(job) || !jobs[job].busy)
        return {};
    std::vector<std::string> files = std::move(jobs[job].files);
    jobs[job] = MailJob();
    --active;
    return files;
}

MailJobs& Jobs() {
    static MailJobs jobs;
    return jobs;
}

} // namespace qubex::mail
