/* The mail job table: at most 50 mail jobs at once, zeroed at start-up, and whether mail is
 * available (set once movie playback, and with it the start-up, has succeeded). */
#ifndef QUBEX_MAIL_JOBS_H
#define QUBEX_MAIL_JOBS_H

namespace qubex::mail {

constexpr int kMaxMailJobs = 50;

struct MailJobs {
    int active = 0;
    bool available = false;
    /* Zeroed table, mail unavailable. */
    void Reset() { *this = MailJobs(); }
    /* A new job may start: fewer than 50 run and mail is available. */
    bool CanStart() const { return available && active < kMaxMailJobs; }
};

/* The program's one table. */
MailJobs& Jobs();

} // namespace qubex::mail

#endif
