/* The C boundary of VokComRT70: no C++ exception leaves an export. Every export that can
 * allocate (directly, through a dialog or a message box) runs its body through DscCom_Guarded,
 * which turns an escaping exception into the export's failure value after one message. The
 * catching itself is vok::Guarded, a template free of this library, so that any other library
 * can put its boundary on the same rule. */
#ifndef DSC_GUARD_H
#define DSC_GUARD_H

#include <new>

#include "DscEngine.h"

namespace vok {

/* Runs body and gives its result; an exception gives failed after onEscape(noMemory) ran
 * (noMemory: the exception was std::bad_alloc). onEscape must not throw. */
template <class Result, class Body, class OnEscape>
Result Guarded(Result failed, Body&& body, OnEscape&& onEscape) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        onEscape(true);
    } catch (...) {
        onEscape(false);
    }
    return failed;
}

} // namespace vok

/* Shows message 51 (no memory) or 129 (unexpected error) for an exception stopped at an export;
 * a box that cannot be shown either is given up silently. */
void DscCom_ReportEscape(bool noMemory) noexcept;

template <class Result, class Body> Result DscCom_Guarded(Result failed, Body&& body) noexcept {
    return vok::Guarded(failed, body, DscCom_ReportEscape);
}

/* For exports without a result. */
template <class Body> void DscCom_GuardedVoid(Body&& body) noexcept {
    vok::Guarded(
        0,
        [&] {
            body();
            return 0;
        },
        DscCom_ReportEscape);
}

#endif
