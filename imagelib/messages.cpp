/* The library's own texts in English, German and French, and the owner window and caption
 * under which it shows them (KeepTargetApplicationHandle). Without a caption the library
 * stays silent; every box goes through the message catalogue's box function. */
#include "img_internal.h"
#include "img_write.h"

#include "VokDscMsg.h"

#include <mutex>
#include <string>

namespace vokimg {
namespace {

constexpr int kTextCount = 14;

const char* const kEnglish[kTextCount] = {
    "File cannot be opened.",
    "Failed to read the file.",
    "It failed in the writing of the file.",
    "This is not a Jpeg file.",
    "File does not exist.",
    "It failed in the creating bitmap.",
    "It failed in the creating JPEG.",
    "This BMP file cannot be allocated.",
    "The error not to expect occurred.",
    "Memory to indicate memory list is full.",
    "It is a non-definition error.",
    "Can not change the exif format.",
    "Can not change to thumbnail.",
    "Can not find the Tag.",
};

const char* const kGerman[kTextCount] = {
    "Die Datei kann nicht geöffnet werden.",
    "Die Datei konnte nicht gelesen werden.",
    "Die Datei konnte nicht geschrieben werden.",
    "Dies ist keine JPEG-Datei.",
    "Die Datei existiert nicht.",
    "Die Bitmap konnte nicht erstellt werden.",
    "Das JPEG-Bild konnte nicht erstellt werden.",
    "Für diese BMP-Datei ist nicht genug Speicher vorhanden.",
    "Ein unerwarteter Fehler ist aufgetreten.",
    "Der Speicher für die Speicherliste ist voll.",
    "Ein nicht definierter Fehler ist aufgetreten.",
    "Das Exif-Format kann nicht erstellt werden.",
    "Das Miniaturbild kann nicht erstellt werden.",
    "TIFF-Tag nicht gefunden.",
};

const char* const kFrench[kTextCount] = {
    "Impossible d'ouvrir le fichier.",
    "La lecture du fichier a échoué.",
    "L'écriture du fichier a échoué.",
    "Ce fichier n'est pas un fichier JPEG.",
    "Le fichier n'existe pas.",
    "La création du bitmap a échoué.",
    "La création du JPEG a échoué.",
    "Mémoire insuffisante pour ce fichier BMP.",
    "Une erreur inattendue s'est produite.",
    "La mémoire de la liste est pleine.",
    "Erreur non définie.",
    "Impossible de convertir au format Exif.",
    "Impossible de créer la vignette.",
    "Balise TIFF introuvable.",
};

std::mutex g_lock;
VokOwner g_owner = nullptr;
std::string g_caption;

} // namespace

void show_library_error(int number) {
    VokOwner owner;
    std::string caption;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        owner = g_owner;
        caption = g_caption;
    }
    if (caption.empty())
        return;
    prepare_box(owner);
    VokDsc_Msg_Box(owner, VOK_BOX_ERROR, -1, VokImg_LibraryText(number), caption.c_str(), 0);
}

} // namespace vokimg

using namespace vokimg;

VOK_EXTERN_C void KeepTargetApplicationHandle(VokOwner owner, const char* caption) {
    std::lock_guard<std::mutex> hold(g_lock);
    g_owner = owner;
    g_caption = caption ? caption : "";
}

VOK_EXTERN_C const char* VokImg_LibraryText(int number) {
    if (number < 1 || number > kTextCount)
        return "";
    switch (VokDsc_Msg_Language()) {
    case VOK_LANG_GERMAN:
        return kGerman[number - 1];
    case VOK_LANG_FRENCH:
        return kFrench[number - 1];
    default:
        return kEnglish[number - 1];
    }
}
