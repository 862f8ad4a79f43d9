/* Image window arithmetic and rules: zoom in quarters (1, 2, 4, 8, 16), scroll steps of a
 * quarter client extent, the title with its modified mark, the menus an active child enables,
 * and the shared undo level. */
#include "image_view.h"

#include "vok_dib.h"

#include <algorithm>
#include <cassert>
#include <cstdio>

namespace qubex::image {

std::string FolderOfPath(const std::string& path) {
    size_t cut = path.find_last_of('/');
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

int MakeImageDoc(Dib dib, const std::string& path, const std::string& displayName, int sourceType,
                 ImageDoc* doc) {
    DibInfo d;
    if (dib.size() < vokc::kDibHeaderSize)
        return kMsgCannotParse;
    const vokc::DibHeader h = vokc::GetDibHeader(dib.data());
    // A full-colour bitmap must hold its pixels: width x height at its own pixel size (a
    // 16-bit one needs two bytes a pixel, not three).
    if (h.bitCount >= 16 && h.width > 0 && h.height != 0 && h.height != INT32_MIN) {
        uint64_t rows = uint64_t(h.height < 0 ? -int64_t(h.height) : h.height);
        if (dib.size() < uint64_t(h.width) * rows * (h.bitCount / 8))
            return kMsgCannotParse;
    }
    if (!DibFacts(dib, &d))
        return kMsgCannotParse;
    ImageDoc fresh;
    fresh.width = d.width;
    fresh.height = d.height;
    fresh.bitCount = d.bits;
    fresh.colorsUsed = d.bits <= 8 ? d.colors : 0;
    fresh.sourceType = sourceType;
    fresh.path = path;
    fresh.folder = FolderOfPath(path);
    fresh.displayName = displayName;
    fresh.opened = true;
    fresh.image = std::move(dib);
    *doc = std::move(fresh);
    return kMsgNone;
}

bool ImageWindowIsModified(const ImageDoc& doc) {
    return doc.changeCount != 0;
}

int InitialZoom(uint32_t width, uint32_t height, uint32_t areaWidth, uint32_t areaHeight) {
    if (width <= areaWidth && height <= areaHeight)
        return kZoom100;
    // An area of no extent shows nothing at any zoom: the smallest one.
    if (areaWidth == 0 || areaHeight == 0)
        return kZoom25;
    double r = std::max(double(width) / areaWidth, double(height) / areaHeight);
    return r > 2 ? kZoom25 : kZoom50;
}

std::string WindowTitle(const std::string& displayName, int zoom, bool modified) {
    char tail[32];
    snprintf(tail, sizeof tail, " [%d%s]", zoom * 100 / 4, "%");
    return displayName + (modified ? "*" : "") + tail;
}

int ZoomOfCommand(int command) {
    if (command < kCmdZoom25 || command > kCmdZoom400)
        return 0;
    return 1 << (command - kCmdZoom25);
}

int CommandOfZoom(int zoom) {
    for (int c = kCmdZoom25; c <= kCmdZoom400; ++c)
        if (ZoomOfCommand(c) == zoom)
            return c;
    return 0;
}

uint32_t ZoomedExtent(uint32_t extent, int zoom) {
    assert(zoom > 0);
    return uint32_t(uint64_t(extent) * uint32_t(zoom) / 4);
}

int PaintOffset(int clientExtent, uint32_t imageExtent, int zoom) {
    double offset = (clientExtent - imageExtent * (zoom * 0.25)) / 2;
    return offset < 0 ? 0 : int(offset);
}

SourceSpan VisibleSpan(int scrollPosition, int clientExtent, uint32_t imageExtent, int zoom) {
    assert(zoom > 0);
    SourceSpan s;
    s.first = std::min<int64_t>(int64_t(std::max(scrollPosition, 0)) * 4 / zoom, imageExtent);
    // Partly shown pixels at the far edge count, so a zoomed view never ends in a gap.
    int64_t count = (int64_t(std::max(clientExtent, 0)) * 4 + zoom - 1) / zoom;
    s.count = int(std::min<int64_t>(count, int64_t(imageExtent) - s.first));
    return s;
}

int ScrollRange(uint32_t zoomedExtent, int clientExtent, int otherBarThickness) {
    if (int64_t(zoomedExtent) <= clientExtent)
        return 0;
    return int(std::max<int64_t>(0, int64_t(zoomedExtent) - clientExtent + otherBarThickness));
}

int ScrollTarget(ScrollRequest request, int position, int range, int clientExtent, int thumb) {
    const int line = std::max(clientExtent / 4, 1);
    int64_t target = position;
    switch (request) {
    case kLineBack:
        target -= line;
        break;
    case kLineForward:
        target += line;
        break;
    case kPageBack:
        target -= clientExtent;
        break;
    case kPageForward:
        target += clientExtent;
        break;
    case kThumbReleased:
        target = thumb;
        break;
    case kIgnored:
        break;
    }
    return int(std::clamp<int64_t>(target, 0, std::max(range, 0)));
}

int ImageCoordinate(int clientPoint, int scrollPosition, int paintOffset, int zoom) {
    assert(zoom > 0);
    return int((int64_t(clientPoint) - paintOffset + scrollPosition) * 4 / zoom);
}

std::string PointerText(int x, int y) {
    char text[32];
    snprintf(text, sizeof text, "%5d, %5d", x, y);
    return text;
}

std::string SelectionSizeText(int width, int height) {
    char text[32];
    snprintf(text, sizeof text, "%5d x %d", width, height);
    return text;
}

MenuState MenusFor(const ActiveChild& active) {
    MenuState m;
    if (active.kind != kChildImage)
        return m;
    m.view = true;
    m.checkedZoom = CommandOfZoom(active.zoom);
    m.image = active.sourceType == 1 || active.sourceType == 2;
    m.edit = active.undoHere;
    m.cutout = active.selectionActive;
    m.toolOnOff = active.sourceType != 4 && !active.iconic;
    m.toolWindow = m.toolOnOff && active.toolWindowChosen;
    return m;
}

void RecordChange(UndoLevel* undo, int window, Dib before, int kind) {
    assert(window != 0);
    undo->image = std::move(before);
    undo->window = window;
    undo->kind = kind;
}

bool UndoAvailable(const UndoLevel& undo, int window) {
    return window != 0 && undo.window == window && !undo.image.empty();
}

bool ApplyUndo(UndoLevel* undo, int window, ImageDoc* doc) {
    if (!UndoAvailable(*undo, window))
        return false;
    std::swap(doc->image, undo->image);
    DibInfo d;
    if (DibFacts(doc->image, &d)) {
        doc->width = d.width;
        doc->height = d.height;
        doc->bitCount = d.bits;
        doc->colorsUsed = d.bits <= 8 ? d.colors : 0;
    }
    if (undo->kind == kUndoRotateRight || undo->kind == kUndoRotateLeft) {
        // Step the rotation back, within 90..360; the next undo steps it forward again.
        int step = undo->kind == kUndoRotateRight ? -90 : 90;
        doc->rotation = ((doc->rotation + step + 360 - 90) % 360 + 360) % 360 + 90;
        undo->kind = undo->kind == kUndoRotateRight ? kUndoRotateLeft : kUndoRotateRight;
    }
    doc->lastOperation = undo->kind;
    // The shown image no longer is the one saved last, whichever way the exchange went.
    ++doc->changeCount;
    return true;
}

void ForgetWindow(UndoLevel* undo, int window) {
    if (window != 0 && undo->window == window)
        *undo = UndoLevel();
}

} // namespace qubex::image
