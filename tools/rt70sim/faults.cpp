/* Parsing and applying the virtual camera's faults. */
#include "faults.h"

#include <cstdlib>

namespace rt70sim {

namespace {

struct KindName {
    FaultKind kind;
    const char* name;
};

const KindName kKinds[] = {
    {FaultKind::Drop, "drop"},       {FaultKind::Checksum, "checksum"},
    {FaultKind::Seq, "seq"},         {FaultKind::Complement, "complement"},
    {FaultKind::Code, "code"},       {FaultKind::Short, "short"},
    {FaultKind::Type, "type"},       {FaultKind::Status2, "status2"},
    {FaultKind::Status3, "status3"}, {FaultKind::Status5, "status5"},
    {FaultKind::Status8, "status8"}, {FaultKind::Status6, "status6"},
};

bool parseUnsigned(const std::string& text, unsigned long max, unsigned long* out) {
    if (text.empty() || text.size() > 10 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *out = std::strtoul(text.c_str(), nullptr, 10);
    return *out <= max;
}

} // namespace

bool parseFaultKind(const std::string& text, FaultKind* kind) {
    for (const KindName& k : kKinds) {
        if (text == k.name) {
            *kind = k.kind;
            return true;
        }
    }
    return false;
}

const char* faultKindName(FaultKind kind) {
    for (const KindName& k : kKinds) {
        if (k.kind == kind)
            return k.name;
    }
    return "none";
}

bool parseFaultRule(const std::string& text, FaultRule* rule, std::string* error) {
    const size_t a = text.find(':');
    const size_t b = a == std::string::npos ? a : text.find(':', a + 1);
    if (b == std::string::npos) {
        *error = "fault '" + text + "': expected CMD:N:KIND";
        return false;
    }
    const std::string cmd = text.substr(0, a), nth = text.substr(a + 1, b - a - 1),
                      kind = text.substr(b + 1);
    unsigned long value = 0;
    FaultRule r;
    if (cmd == "*") {
        r.command = -1;
    } else if (parseUnsigned(cmd, 255, &value)) {
        r.command = static_cast<int>(value);
    } else {
        *error = "fault '" + text + "': command must be 0-255 or *";
        return false;
    }
    if (nth == "*") {
        r.nth = 0;
    } else if (parseUnsigned(nth, 0xFFFFFFFFul, &value) && value > 0) {
        r.nth = static_cast<uint32_t>(value);
    } else {
        *error = "fault '" + text + "': N must be 1 or more, or *";
        return false;
    }
    if (!parseFaultKind(kind, &r.kind)) {
        *error = "fault '" + text + "': unknown kind '" + kind + "'";
        return false;
    }
    *rule = r;
    return true;
}

bool parseFaultKinds(const std::string& text, std::vector<FaultKind>* kinds, std::string* error) {
    kinds->clear();
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        FaultKind k;
        if (!parseFaultKind(text.substr(start, end - start), &k)) {
            *error = "unknown fault kind '" + text.substr(start, end - start) + "'";
            return false;
        }
        kinds->push_back(k);
        start = end + 1;
    }
    return true;
}

FaultKind decideFault(FaultPlan& plan, uint8_t command, uint32_t countOfCommand) {
    for (const FaultRule& r : plan.rules) {
        if ((r.command < 0 || r.command == command) && (r.nth == 0 || r.nth == countOfCommand))
            return r.kind;
    }
    if (plan.rate <= 0.0)
        return FaultKind::None;
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    if (chance(plan.random) >= plan.rate)
        return FaultKind::None;
    const size_t n =
        plan.randomKinds.empty() ? sizeof kKinds / sizeof kKinds[0] : plan.randomKinds.size();
    std::uniform_int_distribution<size_t> pick(0, n - 1);
    const size_t i = pick(plan.random);
    return plan.randomKinds.empty() ? kKinds[i].kind : plan.randomKinds[i];
}

int faultStatus(FaultKind kind) {
    switch (kind) {
    case FaultKind::Status2:
        return 2;
    case FaultKind::Status3:
        return 3;
    case FaultKind::Status5:
        return 5;
    case FaultKind::Status8:
        return 8;
    case FaultKind::Status6:
        return 6;
    default:
        return -1;
    }
}

void spoilReply(FaultKind kind, Bytes& reply) {
    if (reply.size() < 6)
        return;
    switch (kind) {
    case FaultKind::Checksum:
        reply[reply.size() - 2] ^= 0x5A;
        break;
    case FaultKind::Seq:
        reply[1] = static_cast<uint8_t>(reply[1] + 1);
        reply[2] = static_cast<uint8_t>(~reply[1]);
        resealPacket(reply);
        break;
    case FaultKind::Complement:
        reply[2] ^= 0x01;
        resealPacket(reply);
        break;
    case FaultKind::Code:
        reply[3] ^= 0x40;
        resealPacket(reply);
        break;
    case FaultKind::Short:
        reply.resize(reply.size() / 2);
        break;
    case FaultKind::Type:
        reply[0] = 0x7F;
        break;
    default:
        break;
    }
}

} // namespace rt70sim
