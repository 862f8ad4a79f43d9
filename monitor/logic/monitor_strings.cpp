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
};

} // namespace

const char* MonString(int id, int language) {
    for (const Entry& e : kStrings)
        if (e.id == id)
            return language == 2 ? e.german : language == 1 ? e.french : e.english;
    return "";
}

} // namespace qubexmon
