/* The program's mail job table. */
#include "mail_jobs.h"

namespace qubex::mail {

MailJobs& Jobs() {
    static MailJobs jobs;
    return jobs;
}

} // namespace qubex::mail
