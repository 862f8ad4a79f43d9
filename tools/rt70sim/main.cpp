/* rt70sim: a virtual RT70 camera on a UNIX socket, serving the virtual camera link from
 * a card folder; or, with --make-demo-card, writes a demo card folder. */
#include "demo_card.h"
#include "options.h"
#include "server.h"

#include <cstdio>

int main(int argc, char** argv) {
    rt70sim::SimOptions options;
    std::string error;
    if (!rt70sim::parseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "rt70sim: %s\n%s", error.c_str(), rt70sim::usageText());
        return 2;
    }
    if (options.help) {
        std::fputs(rt70sim::usageText(), stdout);
        return 0;
    }
    if (!options.demoCardPath.empty()) {
        if (!rt70sim::makeDemoCard(options.demoCardPath, &error)) {
            std::fprintf(stderr, "rt70sim: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    return rt70sim::runServer(options);
}
