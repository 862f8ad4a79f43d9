/* The socket side of rt70sim: listens on the UNIX socket, serves every connection in
 * one poll loop, takes button presses from signals or the button file, and stops on
 * SIGINT or SIGTERM removing its socket. */
#ifndef RT70SIM_SERVER_H
#define RT70SIM_SERVER_H

#include "options.h"

namespace rt70sim {

/* Runs until SIGINT or SIGTERM; the process exit code. */
int runServer(const SimOptions& options);

} // namespace rt70sim

#endif
