/* The live-widget check behind every owner handle: a stale or foreign handle is never used. */
#include "vok_owner.h"

#include <QApplication>
#include <QWidget>

namespace vokc {

QWidget* LiveWidget(const void* owner) {
    if (!owner || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return nullptr;
    // Compared by address only: a stale pointer is never dereferenced.
    for (QWidget* widget : QApplication::allWidgets())
        if (widget == owner)
            return widget;
    return nullptr;
}

} // namespace vokc
