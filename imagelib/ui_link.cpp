/* The image library's way to its widget plugin (libVokExifUi.so beside it): opened by file name
 * the first time a long loop, a library box, the information dialog or the preview needs Qt,
 * and only in a process that has Qt already, so that command-line use never maps Qt. */
#include "VokExifUi.h"
#include "img_internal.h"
#include "img_write.h"
#include "ui_plugin.h"

#include <string>

namespace vokimg {
namespace {

struct Plugin {
    decltype(&VokExifUi_ProcessEvents) processEvents = nullptr;
    decltype(&VokExifUi_PrepareBox) prepareBox = nullptr;
    decltype(&VokExifUi_ShowInfoDialog) showInfoDialog = nullptr;
    decltype(&VokExifUi_PaletteDisplay) paletteDisplay = nullptr;
    decltype(&VokExifUi_DrawBitmap) drawBitmap = nullptr;
};

template <class Function> void bind(Function* function, const char* name) {
    *function = reinterpret_cast<Function>(
        vokui::PluginSymbol(reinterpret_cast<const void*>(&row_done), "libVokExifUi.so", name));
}

// Decided once: Qt is mapped when a program starts, not later.
const Plugin& plugin() {
    static const Plugin loaded = [] {
        Plugin p;
        if (!vokui::CoreLoaded())
            return p;
        bind(&p.processEvents, "VokExifUi_ProcessEvents");
        bind(&p.prepareBox, "VokExifUi_PrepareBox");
        bind(&p.showInfoDialog, "VokExifUi_ShowInfoDialog");
        bind(&p.paletteDisplay, "VokExifUi_PaletteDisplay");
        bind(&p.drawBitmap, "VokExifUi_DrawBitmap");
        return p;
    }();
    return loaded;
}

} // namespace

bool row_done() {
    const Plugin& ui = plugin();
    return !ui.processEvents || ui.processEvents() != 0;
}

void prepare_box(VokOwner owner) {
    const Plugin& ui = plugin();
    if (ui.prepareBox)
        ui.prepareBox(owner);
}

} // namespace vokimg

using namespace vokimg;

static int ShowImageInfoDialog_body(VokOwner owner, const char* path) {
    const Plugin& ui = plugin();
    std::string fields[8];
    if (!ui.showInfoDialog || !exif_dialog_fields(path, fields))
        return 0;
    const char* texts[8];
    for (int i = 0; i < 8; ++i)
        texts[i] = fields[i].c_str();
    return ui.showInfoDialog(owner, exif_dialog_labels(), texts);
}

static int VokDIB_PrevImage_body(void* painter, const char* bmpPath, const VokRect* rect) {
    const Plugin& ui = plugin();
    if (!painter || !rect || !ui.drawBitmap || preview_kind(bmpPath) != PreviewKind::Bmp)
        return 0;
    VokImgBlock* dib = VokImg_ReadBmpFile(bmpPath);
    DibView view;
    if (!dib || !dib_view(dib, &view)) {
        VokImg_FreeBlock(dib);
        return 0;
    }
    VokImgBlock* shown = nullptr;
    if (view.bits != 24 && view.bits != 8) {
        shown = dib_to_24(view);
    } else if (view.bits == 24 && ui.paletteDisplay && ui.paletteDisplay()) {
        shown = VokDIB_Reduce256(dib); // on failure the 24-bit bitmap is drawn
    }
    if (shown)
        dib_view(shown, &view);
    const VokExifUiBitmap bitmap{view.width,   view.height, view.bits,  view.colors,
                                 view.palette, view.rows,   view.stride};
    const VokRect target = preview_target(view.width, view.height, *rect);
    const int drawn = ui.drawBitmap(painter, &bitmap, &target);
    VokImg_FreeBlock(shown);
    VokImg_FreeBlock(dib);
    return drawn ? 1 : 0;
}

VOK_EXTERN_C int ShowImageInfoDialog(VokOwner owner, void* module, const char* path) {
    (void)module;
    return guarded(0, [&] { return ShowImageInfoDialog_body(owner, path); });
}

VOK_EXTERN_C int VokDIB_PrevImage(void* painter, const char* bmpPath, const VokRect* rect) {
    return guarded(0, [&] { return VokDIB_PrevImage_body(painter, bmpPath, rect); });
}
