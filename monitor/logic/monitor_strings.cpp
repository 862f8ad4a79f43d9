/* The string table, English first; the other languages fall back to it. */
#include "monitor_strings.h"

namespace qubexmon {
namespace {

struct Entry {
    int id;
    const char* english;
    const char* german;
    const char* french;
};

const Entry kStrings[] = {
    {2, "The application cannot be run on this operating system version.",
     "Die Anwendung kann auf dieser Betriebssystemversion nicht ausgeführt werden.",
     "L'application ne peut pas fonctionner sur cette version du système d'exploitation."},
    {3, "The image transfer application cannot be found.",
     "Die Bildübertragungsanwendung wurde nicht gefunden.",
     "L'application de transfert d'images est introuvable."},
    {4, "qubex Monitor", "qubex Monitor", "qubex Monitor"},
    {5, "Running of the image transfer application failed.",
     "Die Bildübertragungsanwendung konnte nicht gestartet werden.",
     "Le lancement de l'application de transfert d'images a échoué."},
    {14, "&Help", "&Hilfe", "&Aide"},
    {15, "&Version Information...", "&Versionsinformation...", "Informations de &version..."},
    {16, "E&xit", "&Beenden", "&Quitter"},
    {17, "&Environment settings... ", "&Umgebungseinstellungen... ",
     "Paramètres d'&environnement... "},
    {101, "libVokUsb01.so was not found.", "libVokUsb01.so wurde nicht gefunden.",
     "libVokUsb01.so est introuvable."},
    // The settings dialog and the version box; each language's access keys differ.
    {kMonSettingsTitle, "Environment settings", "Umgebungseinstellungen",
     "Paramètres d'environnement"},
    {kMonInterruption, "temporary &interruption", "vorübergehende &Unterbrechung",
     "&interruption temporaire"},
    {kMonApplicationFolder, "Application location", "Speicherort der Anwendung",
     "Emplacement de l'application"},
    {kMonImageFolder, "Image transfer only", "Nur Bildübertragung",
     "Transfert d'images uniquement"},
    {kMonMailFolder, "Mail attachment file save location", "Speicherort für E-Mail-Anhänge",
     "Emplacement d'enregistrement des pièces jointes"},
    {kMonBrowseApplication, "&Browse...", "&Durchsuchen...", "&Parcourir..."},
    {kMonBrowseImage, "Br&owse...", "Du&rchsuchen...", "Parc&ourir..."},
    {kMonBrowseMail, "Bro&wse...", "Dur&chsuchen...", "Par&courir..."},
    {kMonResize, "&Resize", "&Größe ändern", "&Redimensionner"},
    {kMonVga, "&VGA", "&VGA", "&VGA"},
    {kMonQvga, "&QVGA", "&QVGA", "&QVGA"},
    {kMonOk, "OK", "OK", "OK"},
    {kMonCancel, "Cancel", "Abbrechen", "Annuler"},
    {kMonVersion, "Version %1", "Version %1", "Version %1"},
    {kMonAbout, "Watches the RT70's transfer button and starts qubex.",
     "Überwacht die Übertragungstaste der RT70 und startet qubex.",
     "Surveille le bouton de transfert de la RT70 et lance qubex."},
};

} // namespace

const char* MonString(int id, int language) {
    for (const Entry& e : kStrings)
        if (e.id == id)
            return language == 2 ? e.german : language == 1 ? e.french : e.english;
    return "";
}

} // namespace qubexmon
