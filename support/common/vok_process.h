/* Facts about processes that the programs of the suite share: whether a process id still runs
 * a qubex program (the interlock values name their owner by process id), and the test scale
 * of fixed waits. */
#ifndef VOK_PROCESS_H
#define VOK_PROCESS_H

#include <stdint.h>

namespace vokc {

/* 1 when pid names a live (not zombie) process whose program file or command name is "qubex". */
int IsQubexProcess(int32_t pid);

/* VOK_TIME_SCALE as a factor for fixed waits: 1 when unset or not a number from 0 to 1000. */
double TimeScale();

} // namespace vokc

#endif
