/* The arithmetic and rules of an image window that need no window: the record, the initial
 * zoom, the title, painting offsets, scroll ranges and steps, the View zoom commands, pointer
 * coordinates, the enable rules of the Edit, Image and View menus, and the one undo level that
 * all image windows share. */
#ifndef QUBEX_IMAGE_VIEW_H
#define QUBEX_IMAGE_VIEW_H

#include "image_dib.h"

#include <string>

namespace qubex::image {

/* Zoom in quarters. */
enum Zoom : int { kZoom25 = 1, kZoom50 = 2, kZoom100 = 4, kZoom200 = 8, kZoom400 = 16 };

/* View commands 171 to 175 and the menu commands the window rules touch. */
enum Command : int {
    kCmdZoom25 = 171,
    kCmdZoom400 = 175,
    kCmdUndo = 178,
    kCmdCutout = 179,
    kCmdToolOnOff = 184,
};

/* An image window's record, without the window system's handles. */
struct ImageDoc {
    Dib image;
    uint32_t colorsUsed = 0;
    uint32_t bitCount = 0;
    uint32_t width = 0, height = 0;
    int sourceType = 0; // file-type code the image came from
    std::string path, folder, displayName;
    int zoom = kZoom100;
    int rotation = 0;
    int lastOperation = 0;
    int changeCount = 0;
    bool opened = false;
    bool selectionActive = false;
    bool untitled = false;
};

/* Fills the record from a bitmap: size, depth, colours, the source type, the path split into
 * folder and the display name given. 117 when a bitmap of 16 or more bits is smaller than its
 * width x height x 3 bytes (or its header is unusable), else 0. */
int MakeImageDoc(Dib dib, const std::string& path, const std::string& displayName, int sourceType,
                 ImageDoc* doc);

/* The folder part of a path with its trailing separator ("" for a bare name). */
std::string FolderOfPath(const std::string& path);

bool ImageWindowIsModified(const ImageDoc& doc);

/* 1 (25 %) when the image exceeds the area by more than twice, 2 (50 %) when it exceeds it at
 * all, else 4 (100 %). */
int InitialZoom(uint32_t width, uint32_t height, uint32_t areaWidth, uint32_t areaHeight);

/* "name [50%]", or "name* [50%]" for a changed image. */
std::string WindowTitle(const std::string& displayName, int zoom, bool modified);

/* Zoom of a View command, 0 for another command; and the command of a zoom. */
int ZoomOfCommand(int command);
int CommandOfZoom(int zoom);

/* Image extent at a zoom, in whole pixels. */
uint32_t ZoomedExtent(uint32_t extent, int zoom);

/* Where the image's top-left corner is drawn in the client area: centred when it is smaller,
 * at the origin when larger. */
int PaintOffset(int clientExtent, uint32_t imageExtent, int zoom);

/* The first image pixel and the count of image pixels shown from a scroll position. */
struct SourceSpan {
    int first = 0;
    int count = 0;
};
SourceSpan VisibleSpan(int scrollPosition, int clientExtent, uint32_t imageExtent, int zoom);

/* The scroll range of one axis: zoomed extent less client extent (plus the other bar's
 * thickness while that bar is shown), 0 when the image fits. */
int ScrollRange(uint32_t zoomedExtent, int clientExtent, int otherBarThickness);

enum ScrollRequest { kLineBack, kLineForward, kPageBack, kPageForward, kThumbReleased, kIgnored };

/* The position after a request, clamped to 0..range. */
int ScrollTarget(ScrollRequest request, int position, int range, int clientExtent, int thumb);

/* The image pixel under a client-area point. */
int ImageCoordinate(int clientPoint, int scrollPosition, int paintOffset, int zoom);

/* Status-bar texts: "%5d, %5d" and "%5d x %d". */
std::string PointerText(int x, int y);
std::string SelectionSizeText(int width, int height);

/* The kinds of MDI child the frame tells apart. */
enum ChildKind : int {
    kChildNone = 0,
    kChildImage = 1,
    kChildAlbum = 2,
    kChildAlbumButton = 3,
    kChildMovie = 4
};

/* What the frame's menus and the tool window show for the active child. */
struct MenuState {
    bool edit = false;       // Undo
    bool image = false;      // the Image menu
    bool view = false;       // the View menu
    int checkedZoom = 0;     // View command with the check mark, 0 for none
    bool cutout = false;     // Image Cutout
    bool toolOnOff = false;  // Tool On/Off
    bool toolWindow = false; // the tool window shown
};

struct ActiveChild {
    int kind = kChildNone;
    int sourceType = 0;
    int zoom = kZoom100;
    bool iconic = false;
    bool selectionActive = false;
    bool undoHere = false;        // this window made the last undoable change
    bool toolWindowChosen = true; // the user's last Tool On/Off choice
};

MenuState MenusFor(const ActiveChild& active);

/* Undo kinds: the change the kept image undoes. */
enum UndoKind : int {
    kUndoNone = 0,
    kUndoRotateRight = 90,
    kUndoRotateLeft = 270,
    kUndoAdjust = 1,
    kUndoResize = 2,
    kUndoCutout = 3
};

/* One level of undo shared by every image window: the image as it was before the last change,
 * the window that made it and the kind of change. */
struct UndoLevel {
    Dib image;
    int window = 0; // the owner's identity, 0 for none
    int kind = kUndoNone;
};

/* Keeps before as the undo image of a change made in window. */
void RecordChange(UndoLevel* undo, int window, Dib before, int kind);
bool UndoAvailable(const UndoLevel& undo, int window);
/* Exchanges the window's image with the kept one (a second undo restores the change); for a
 * rotation also the width and height and the stored rotation, which steps back. false when
 * undo does not belong to this window. */
bool ApplyUndo(UndoLevel* undo, int window, ImageDoc* doc);
/* A window that closes takes its undo level with it. */
void ForgetWindow(UndoLevel* undo, int window);

} // namespace qubex::image

#endif
