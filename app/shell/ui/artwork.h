/* The program's own pictures, drawn with QPainter: the 400 x 300 start-up picture in 256
 * colours, the toolbar's button images and the program icon. */
#ifndef QUBEX_ARTWORK_H
#define QUBEX_ARTWORK_H

#include <QIcon>
#include <QImage>

namespace qubex {

/* TovrelBitmap: 400 x 300 pixels, 8 bits with its own colour table. */
QImage StartupBitmap();
/* The image of a toolbar button id (16 x 16 logical pixels). */
QIcon ButtonIcon(int button);
/* The program's icon ("DSC"). */
QIcon ProgramIcon();
/* The program's icon at size x size pixels (for the icon theme files). */
QImage ProgramIconImage(int size);

} // namespace qubex

#endif
