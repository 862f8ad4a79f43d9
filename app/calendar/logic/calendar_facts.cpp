/* Calendar facts used by the frame. */
#include "calendar_facts.h"

namespace qubex::calendar {

bool IsMonthly(int firstSetting) {
    return firstSetting == 131;
}

} // namespace qubex::calendar
