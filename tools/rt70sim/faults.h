/* Fault injection of the virtual camera: rules that hit the N-th request of a command,
 * a seeded random rate, and what each fault does to a reply. */
#ifndef RT70SIM_FAULTS_H
#define RT70SIM_FAULTS_H

#include "packet.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace rt70sim {

enum class FaultKind {
    None,
    Drop,       // the request is lost: not acted on, no reply
    Checksum,   // reply checksum wrong
    Seq,        // reply sequence byte wrong (complement and checksum match it)
    Complement, // reply complement byte wrong (checksum matches)
    Code,       // reply code wrong
    Short,      // only the first half of the reply is sent
    Type,       // reply type byte unknown
    Status2,    // generic status reply with status 2, 3, 5, 8 or 6 instead of acting
    Status3,
    Status5,
    Status8,
    Status6,
};

/* "--fault CMD:N:KIND": the N-th request (from 1) with command code CMD; CMD "*" is any
 * command, N "*" every request of it. */
struct FaultRule {
    int command = -1; // -1: any
    uint32_t nth = 0; // 0: every
    FaultKind kind = FaultKind::None;
};

struct FaultPlan {
    std::vector<FaultRule> rules;
    double rate = 0.0;
    std::vector<FaultKind> randomKinds; // empty: every kind
    std::mt19937_64 random{1};
};

bool parseFaultKind(const std::string& text, FaultKind* kind);
const char* faultKindName(FaultKind kind);
bool parseFaultRule(const std::string& text, FaultRule* rule, std::string* error);
/* "drop,checksum,..." for --fault-kinds. */
bool parseFaultKinds(const std::string& text, std::vector<FaultKind>* kinds, std::string* error);

/* The fault for this request: a matching rule first, then the random rate. */
FaultKind decideFault(FaultPlan& plan, uint8_t command, uint32_t countOfCommand);

/* The camera status a status fault answers with, or -1 for the other kinds. */
int faultStatus(FaultKind kind);

/* Spoils a finished reply as the kind says (Drop and the status kinds are handled by the
 * caller before the command runs). */
void spoilReply(FaultKind kind, Bytes& reply);

} // namespace rt70sim

#endif
