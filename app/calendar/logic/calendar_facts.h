/* What the frame needs to know of a calendar document before the calendar issue fills it. */
#ifndef QUBEX_CALENDAR_FACTS_H
#define QUBEX_CALENDAR_FACTS_H

namespace qubex::calendar {

/* A calendar whose settings start with command 131 is monthly (Schedule applies to it). */
bool IsMonthly(int firstSetting);

} // namespace qubex::calendar

#endif
