/* The owner handle a caller passes in, as a widget: only when it is one that lives now. */
#ifndef VOK_OWNER_H
#define VOK_OWNER_H

class QWidget;

namespace vokc {

/* owner as a widget when a QApplication runs and owner is one of its live widgets; else null
 * (no owner, a stale handle, or a foreign one). */
QWidget* LiveWidget(const void* owner);

} // namespace vokc

#endif
