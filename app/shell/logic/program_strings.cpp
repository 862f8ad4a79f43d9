/* The program's string table in three languages. */
#include "program_strings.h"

#include <cctype>

namespace qubex {
namespace {

struct Text {
    int id;
    const char* en;
    const char* de;
    const char* fr;
};

const char* Pick(const Text& t, int language) {
    return language == 2 ? t.de : language == 1 ? t.fr : t.en;
}

const Text kMenuLabels[] = {
    {100, "File &Open...", "Datei ö&ffnen...", "&Ouvrir un fichier..."},
    {101, "&Save", "&Speichern", "&Enregistrer"},
    {102, "&Print...", "&Drucken...", "&Imprimer..."},
    {103, "E&xit", "&Beenden", "&Quitter"},
    {104, "&Version Information...", "&Versionsinformation...", "Informations de &version..."},
    {105, "Create &New Album", "&Neues Album anlegen", "Créer un &nouvel album"},
    {106, "&Close", "S&chließen", "&Fermer"},
    {107, "Save &As...", "Speichern &unter...", "Enregistrer &sous..."},
    {108, "&Contents", "&Inhalt", "&Sommaire"},
    {121, "Data &in from Camera", "Daten &von der Kamera", "&Recevoir de l'appareil"},
    {122, "Data &out to Camera...", "Daten &zur Kamera...", "&Envoyer à l'appareil..."},
    {123, "Print Set&up...", "Drucker&einrichtung...", "&Configuration de l'impression..."},
    {125, "C&lock Setup...", "&Uhr einstellen...", "Réglage de l'&horloge..."},
    {131, "&Monthly Calendar...", "&Monatskalender...", "Calendrier &mensuel..."},
    {132, "&Yearly Calendar...", "&Jahreskalender...", "Calendrier &annuel..."},
    {133, "Sc&hedule...", "&Terminplan...", "&Planning..."},
    {140, "&Copy", "&Kopieren", "&Copier"},
    {141, "&Paste", "&Einfügen", "C&oller"},
    {142, "Cu&t", "&Ausschneiden", "Co&uper"},
    {143, "Add to &Album...", "Zum &Album hinzufügen...", "Ajouter à l'&album..."},
    {160, "&Tile", "&Nebeneinander", "&Mosaïque"},
    {161, "&Cascade", "Ü&berlappend", "&Cascade"},
    {162, "&Arrange Icons", "&Symbole anordnen", "&Réorganiser les icônes"},
    {163, "Close A&ll", "&Alle schließen", "&Tout fermer"},
    {164, "Tool&bar On/Off", "Sym&bolleiste ein/aus", "&Barre d'outils oui/non"},
    {165, "&Statusbar On/Off", "S&tatusleiste ein/aus", "Barre d'é&tat oui/non"},
    {170, "Image &Adjustment...", "Bild&korrektur...", "&Réglage de l'image..."},
    {171, "&25 %", "&25 %", "&25 %"},
    {172, "&50 %", "&50 %", "&50 %"},
    {173, "&100 %", "&100 %", "&100 %"},
    {174, "2&00 %", "2&00 %", "2&00 %"},
    {175, "&400 %", "&400 %", "&400 %"},
    {176, "&Right", "&Rechts", "À &droite"},
    {177, "&Left", "&Links", "À &gauche"},
    {178, "&Undo", "&Rückgängig", "&Annuler"},
    {179, "Image &Cutout", "Bild&ausschnitt", "&Découpe de l'image"},
    {180, "Image &Size...", "Bild&größe...", "&Taille de l'image..."},
    {182, "&Display Capture...", "&Bildschirm aufnehmen...", "Capture de l'&écran..."},
    {183, "&Window Capture...", "&Fenster aufnehmen...", "Capture d'une &fenêtre..."},
    {184, "T&ool On/Off", "&Werkzeuge ein/aus", "&Outils oui/non"},
    {470, "&Option...", "&Optionen...", "&Options..."},
    {500, "&Start...", "&Starten...", "&Démarrer..."},
    {570, "Image &Information...", "Bild&information...", "&Informations sur l'image..."},
    {40002, "&Sending Mail", "Mail &senden", "&Envoyer le courrier"},
    {40003, "Mail &Option...", "Mail-&Optionen...", "&Options du courrier..."},
};

const Text kProgramTexts[] = {
    {STR_PRODUCT, "qubex", "qubex", "qubex"},
    {STR_MODEL, "qubex", "qubex", "qubex"},
    {STR_MAKER, "VOKD", "VOKD", "VOKD"},
    {STR_UPLOAD_TITLE, "PC to DSC File", "PC to DSC File", "PC to DSC File"},
    {STR_MENU_FILE, "&File", "&Datei", "&Fichier"},
    {STR_MENU_EDIT, "&Edit", "&Bearbeiten", "&Edition"},
    {STR_MENU_IMAGE, "&Image", "B&ild", "&Image"},
    {STR_MENU_VIEW, "&View", "&Ansicht", "&Affichage"},
    {STR_MENU_WINDOW, "&Window", "&Fenster", "Fe&nêtre"},
    {STR_MENU_HELP, "&Help", "&Hilfe", "&Aide"},
    {STR_MENU_CALENDAR, "Create Ca&lendar", "&Kalender erstellen", "Créer un ca&lendrier"},
    {STR_MENU_SLIDESHOW, "Sli&de Show", "&Diaschau", "&Diaporama"},
    {STR_MENU_CAPTURE, "Ca&pture...", "&Aufnahme...", "Ca&pture..."},
    {STR_MENU_MAIL, "&Mail attachment", "&Mail-Anhang", "Pièce &jointe"},
    {STR_MENU_COMMUNICATION, "Co&mmunication", "Kommu&nikation", "Co&mmunication"},
    {STR_MENU_ROTATE, "&Rotate", "&Drehen", "&Rotation"},
    {STR_PREVIEW, "&Preview", "&Vorschau", "&Aperçu"},
    {STR_ABOUT_TITLE, "About qubex", "Über qubex", "À propos de qubex"},
    {STR_ABOUT_TEXT, "qubex for the RT70 camera", "qubex für die Kamera RT70",
     "qubex pour l'appareil RT70"},
    {STR_METER_CANCEL, "Cancel", "Abbrechen", "Annuler"},
    {400, "File Open", "Datei öffnen", "Ouvrir un fichier"},
    {401, "Save As", "Speichern unter", "Enregistrer sous"},
    {402, "Print", "Drucken", "Imprimer"},
    {405, "Create New Album", "Neues Album anlegen", "Créer un nouvel album"},
    {421, "Data in from Camera", "Daten von der Kamera", "Recevoir de l'appareil"},
    {422, "Data out to Camera", "Daten zur Kamera", "Envoyer à l'appareil"},
    {440, "Copy", "Kopieren", "Copier"},
    {441, "Paste", "Einfügen", "Coller"},
    {442, "Cut", "Ausschneiden", "Couper"},
    {443, "Add to Album", "Zum Album hinzufügen", "Ajouter à l'album"},
    {460, "Tile", "Nebeneinander", "Mosaïque"},
    {461, "Cascade", "Überlappend", "Cascade"},
    {462, "Help", "Hilfe", "Aide"},
    {463, "Attach an image to your E-mail.", "Ein Bild an Ihre E-Mail anhängen.",
     "Joindre une image à votre courrier électronique."},
};

template <size_t N> std::string Find(const Text (&table)[N], int id, int language) {
    for (const Text& t : table)
        if (t.id == id)
            return Pick(t, language);
    return std::string();
}

} // namespace

std::string MenuLabel(int command, int language) {
    return Find(kMenuLabels, command, language);
}

std::string ProgramText(int id, int language) {
    return Find(kProgramTexts, id, language);
}

std::vector<std::string> OpenFilters(int language, bool movies) {
    struct Filter {
        const char* en;
        const char* de;
        const char* fr;
        const char* patterns;
        bool movie;
    };
    static const Filter filters[] = {
        {"JPEG Files(*.JPG)", "JPEG-Dateien(*.JPG)", "Fichiers JPEG(*.JPG)", "*.jpg *.JPG", false},
        {"Bitmap Files(*.BMP)", "Bitmap-Dateien(*.BMP)", "Fichiers Bitmap(*.BMP)", "*.bmp *.BMP",
         false},
        {"Album Files(*.ALB)", "Album-Dateien(*.ALB)", "Fichiers Album(*.ALB)", "*.alb *.ALB",
         false},
        {"Calendar Files(*.CAL)", "Kalender-Dateien(*.CAL)", "Fichiers Calendrier(*.CAL)",
         "*.cal *.CAL", false},
        {"AVI Files(*.AVI)", "AVI-Dateien(*.AVI)", "Fichiers AVI(*.AVI)", "*.avi *.AVI", true},
        {"QuickTime Files(*.MOV)", "QuickTime-Dateien(*.MOV)", "Fichiers QuickTime(*.MOV)",
         "*.mov *.MOV", true},
        {"Tiff Files(*.Tif)", "Tiff-Dateien(*.Tif)", "Fichiers Tiff(*.Tif)", "*.tif *.TIF", false},
    };
    const char* allHead = language == 2   ? "Alle Dateien"
                          : language == 1 ? "Tous les fichiers"
                                          : "All Files";
    std::string all = std::string(allHead) +
                      (movies ? "(jpg;bmp;alb;cal;avi;mov;tif)" : "(jpg;bmp;alb;cal;tif)") + " (";
    std::vector<std::string> out;
    std::string patterns;
    for (const Filter& f : filters) {
        if (f.movie && !movies)
            continue;
        patterns += (patterns.empty() ? "" : " ") + std::string(f.patterns);
        const char* label = language == 2 ? f.de : language == 1 ? f.fr : f.en;
        out.push_back(std::string(label) + " (" + f.patterns + ")");
    }
    out.insert(out.begin(), all + patterns + ")");
    return out;
}

bool FilterForbidsPreview(const std::string& filter) {
    const size_t open = filter.rfind('(');
    const std::string patterns = open == std::string::npos ? "" : filter.substr(open);
    return patterns == "(*.alb *.ALB)" || patterns == "(*.cal *.CAL)";
}

} // namespace qubex
