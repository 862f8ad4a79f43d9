/* The calendar's side of the frame's commands (monthly and yearly calendars, schedule). */
#ifndef QUBEX_CALENDAR_COMMANDS_H
#define QUBEX_CALENDAR_COMMANDS_H

class QWidget;

namespace qubex::calendar {

/* Carries out a calendar command for the frame; false when the subsystem has no such command
 * yet (the frame then does nothing). */
bool RunCommand(QWidget* frame, int command);

} // namespace qubex::calendar

#endif
