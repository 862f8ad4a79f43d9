/* Parsing of rt70sim's command line. */
#include "options.h"

#include <cstdlib>
#include <cstring>

namespace rt70sim {

namespace {

bool parseU64(const std::string& text, uint64_t* out) {
    if (text.empty() || text.size() > 19 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *out = std::strtoull(text.c_str(), nullptr, 10);
    return true;
}

} // namespace

const char* usageText() {
    return "usage: rt70sim --socket PATH --card DIR [options]\n"
           "       rt70sim --make-demo-card DIR\n"
           "options:\n"
           "  --variant C          digit of the identify reply (1, 2, 3, 6; others for tests)\n"
           "  --letters ABC        letters of the identify reply (default DSC)\n"
           "  --capacity BYTES     card size; an upload that does not fit gets status 4\n"
           "  --write-protect      the card is write-protected (status 9)\n"
           "  --strict-kinds       refuse (status 2) an image request (26) whose kind byte\n"
           "                       does not name the image's kind\n"
           "  --refuse NAME[,..]   answer opens of DEV, PIPE00 or PIPE01 with 0\n"
           "  --fault CMD:N:KIND   fail the N-th request of command CMD (either may be *)\n"
           "  --fault-rate R       fail each request with probability R (0 to 1)\n"
           "  --fault-kinds K,..   kinds the random faults pick from (default: all)\n"
           "  --seed S             seed of the random faults (default 1)\n"
           "  --button N           a button event is pending from the start\n"
           "  --button-file PATH   a number written into PATH presses the button\n"
           "  --verbose            log requests and faults to standard error\n"
           "kinds: drop checksum seq complement code short type status2 status3 status5\n"
           "       status8 status6\n"
           "SIGUSR1 presses the button with event 1, SIGUSR2 with event 2.\n";
}

bool parseOptions(int argc, const char* const* argv, SimOptions* o, std::string* error) {
    *o = SimOptions{};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= argc) {
                *error = arg + " needs a value";
                return false;
            }
            *out = argv[++i];
            return true;
        };
        std::string v;
        uint64_t n = 0;
        if (arg == "--help" || arg == "-h") {
            o->help = true;
        } else if (arg == "--socket") {
            if (!value(&o->socketPath))
                return false;
        } else if (arg == "--card") {
            if (!value(&o->cardPath))
                return false;
        } else if (arg == "--make-demo-card") {
            if (!value(&o->demoCardPath))
                return false;
        } else if (arg == "--variant") {
            if (!value(&v))
                return false;
            if (v.size() != 1) {
                *error = "--variant takes one character";
                return false;
            }
            o->camera.variant = v[0];
        } else if (arg == "--letters") {
            if (!value(&v))
                return false;
            if (v.size() != 3) {
                *error = "--letters takes three characters";
                return false;
            }
            o->camera.letters = v;
        } else if (arg == "--capacity") {
            if (!value(&v))
                return false;
            if (!parseU64(v, &n)) {
                *error = "--capacity takes a number of bytes";
                return false;
            }
            o->camera.capacity = n;
        } else if (arg == "--write-protect") {
            o->camera.writeProtected = true;
        } else if (arg == "--strict-kinds") {
            o->camera.strictKinds = true;
        } else if (arg == "--refuse") {
            if (!value(&v))
                return false;
            size_t start = 0;
            while (start <= v.size()) {
                size_t end = v.find(',', start);
                if (end == std::string::npos)
                    end = v.size();
                const std::string name = v.substr(start, end - start);
                if (name != "DEV" && name != "PIPE00" && name != "PIPE01") {
                    *error = "--refuse takes DEV, PIPE00 and PIPE01";
                    return false;
                }
                o->refused.insert(name);
                start = end + 1;
            }
        } else if (arg == "--fault") {
            FaultRule rule;
            if (!value(&v) || !parseFaultRule(v, &rule, error))
                return false;
            o->faults.rules.push_back(rule);
        } else if (arg == "--fault-rate") {
            if (!value(&v))
                return false;
            char* end = nullptr;
            const double r = std::strtod(v.c_str(), &end);
            if (v.empty() || *end != '\0' || !(r >= 0.0 && r <= 1.0)) {
                *error = "--fault-rate takes a number from 0 to 1";
                return false;
            }
            o->faults.rate = r;
        } else if (arg == "--fault-kinds") {
            if (!value(&v) || !parseFaultKinds(v, &o->faults.randomKinds, error))
                return false;
        } else if (arg == "--seed") {
            if (!value(&v))
                return false;
            if (!parseU64(v, &n)) {
                *error = "--seed takes a number";
                return false;
            }
            o->faults.random.seed(n);
        } else if (arg == "--button") {
            if (!value(&v))
                return false;
            if (!parseU64(v, &n) || n > 0xFFFF) {
                *error = "--button takes an event number";
                return false;
            }
            o->initialButton = static_cast<uint16_t>(n);
        } else if (arg == "--button-file") {
            if (!value(&o->buttonFile))
                return false;
        } else if (arg == "--verbose" || arg == "-v") {
            o->verbose = true;
        } else {
            *error = "unknown option " + arg;
            return false;
        }
    }
    if (o->help || !o->demoCardPath.empty())
        return true;
    if (o->socketPath.empty() || o->cardPath.empty()) {
        *error = "--socket and --card are needed";
        return false;
    }
    return true;
}

} // namespace rt70sim
