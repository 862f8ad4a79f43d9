/* The folder browser's decisions and texts: opening folder, choosable folders, the checks and
 * the creation of a new folder, and which box reports a refusal. No widgets here, so the tests
 * drive all of it without a display. */
#include "browse_rules.h"

#include "VokDscMsg.h"
#include "vok_text.h"

#include <QDir>
#include <QString>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vokbrowse {

namespace {

// English, German, French, in the order of Text.
const char* const kTexts[][3] = {
    {"Folder select", "Ordner auswählen", "Sélection du dossier"},
    {"Select the folder to store the file.",
     "Wählen Sie den Ordner, in dem die Datei gespeichert werden soll.",
     "Sélectionnez le dossier dans lequel enregistrer le fichier."},
    {"Create &new folder...", "&Neuen Ordner erstellen...", "Créer un &nouveau dossier..."},
    {"OK", "OK", "OK"},
    {"Cancel", "Abbrechen", "Annuler"},
    {"Create new folder", "Neuen Ordner erstellen", "Créer un nouveau dossier"},
    {"Current path :", "Aktueller Pfad :", "Chemin actuel :"},
    {"Newly created folder name :", "Name des neuen Ordners :", "Nom du nouveau dossier :"},
    {"Up to %d letters of ASCII characters only can be input.",
     "Es können nur bis zu %d ASCII-Zeichen eingegeben werden.",
     "Vous ne pouvez saisir que %d caractères ASCII au maximum."},
    {"This filename cannot contain any of the following characters:\n\\/:*?<>|",
     "Dieser Dateiname darf keines der folgenden Zeichen enthalten:\n\\/:*?<>|",
     "Ce nom de fichier ne peut contenir aucun des caractères suivants :\n\\/:*?<>|"},
    {"This folder already exists.\nEnter another folder name.",
     "Dieser Ordner ist bereits vorhanden.\nGeben Sie einen anderen Ordnernamen ein.",
     "Ce dossier existe déjà.\nEntrez un autre nom de dossier."},
    {"Selected drive is not ready or wrong drive name.",
     "Das gewählte Laufwerk ist nicht bereit, oder der Laufwerksname ist falsch.",
     "Le lecteur sélectionné n'est pas prêt ou son nom est incorrect."},
    {"The names \".\" and \"..\" cannot be used.\nEnter another folder name.",
     "Die Namen \".\" und \"..\" können nicht verwendet werden.\nGeben Sie einen anderen "
     "Ordnernamen ein.",
     "Les noms « . » et « .. » ne peuvent pas être utilisés.\nEntrez un autre nom de dossier."},
    {"The specified folder '%s' does not exist. \nCreate a new folder?",
     "Der angegebene Ordner '%s' ist nicht vorhanden. \nNeuen Ordner erstellen?",
     "Le dossier spécifié '%s' n'existe pas. \nCréer un nouveau dossier ?"},
    {"Cannot save the file to the specified folder.\nSelect another folder.",
     "Die Datei kann nicht im angegebenen Ordner gespeichert werden.\nWählen Sie einen anderen "
     "Ordner.",
     "Impossible d'enregistrer le fichier dans le dossier spécifié.\nSélectionnez un autre "
     "dossier."},
};
static_assert(sizeof kTexts / sizeof kTexts[0] == static_cast<std::size_t>(Text::Count),
              "one row per text");

std::mutex captionLock;
std::string caption;

std::size_t CountLetters(const std::string& utf8) {
    std::size_t letters = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0u) != 0x80u)
            ++letters;
    return letters;
}

bool IsDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> Components(const std::string& absolute) {
    std::vector<std::string> parts;
    std::size_t start = 1;
    while (start < absolute.size()) {
        std::size_t end = absolute.find('/', start);
        if (end == std::string::npos)
            end = absolute.size();
        if (end > start)
            parts.push_back(absolute.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

} // namespace

const char* TextFor(Text text, int language) {
    const int column = language == VOK_LANG_GERMAN ? 1 : language == VOK_LANG_FRENCH ? 2 : 0;
    return kTexts[static_cast<int>(text)][column];
}

std::string MessageCaption() {
    std::lock_guard<std::mutex> hold(captionLock);
    return caption;
}

void SetMessageCaption(const char* text) {
    std::lock_guard<std::mutex> hold(captionLock);
    caption = text ? text : "";
}

CreateOutcome CheckFolderName(const std::string& typed, std::string* cleaned) {
    const std::size_t first = typed.find_first_not_of(' ');
    const std::string name = first == std::string::npos ? std::string() : typed.substr(first);
    if (cleaned)
        *cleaned = name;
    if (name.empty() || CountLetters(name) > static_cast<std::size_t>(kMaxNameLetters))
        return CreateOutcome::NameLength;
    for (unsigned char c : name) {
        // Control characters are refused too: they cannot be typed and only confuse listings.
        if (c < 0x20u || c == 0x7Fu ||
            std::string("\"*/:<>?\\|").find(static_cast<char>(c)) != std::string::npos)
            return CreateOutcome::BadCharacter;
    }
    // "." and ".." name the folder itself and its parent, never a new folder.
    if (name == "." || name == "..")
        return CreateOutcome::ReservedName;
    return CreateOutcome::Created;
}

std::string ComposeNewPath(const std::string& current, const std::string& name) {
    if (!current.empty() && current.back() == '/')
        return current + name;
    return current + "/" + name;
}

Probe ProbeByTempFile(const std::string& folder) {
    std::string templ = ComposeNewPath(folder, "VOKXXXXXX");
    std::vector<char> buffer(templ.begin(), templ.end());
    buffer.push_back('\0');
    const int fd = ::mkstemp(buffer.data());
    if (fd < 0) {
        switch (errno) {
        case EROFS:
        case EACCES:
        case EPERM:
        case ENOSPC:
        case EDQUOT:
            return Probe::ReadOnly;
        default:
            return Probe::Unreachable;
        }
    }
    ::close(fd);
    ::unlink(buffer.data());
    return Probe::Writable;
}

CreateOutcome CreateFolder(const std::string& current, const std::string& typed,
                           std::string* newPath, WriteProbe probe) {
    std::string name;
    const CreateOutcome checked = CheckFolderName(typed, &name);
    if (checked != CreateOutcome::Created)
        return checked;
    const std::string path = ComposeNewPath(current, name);
    if (!FitsPathBuffer(path))
        return CreateOutcome::PathTooLong;

    struct stat st;
    if (::lstat(path.c_str(), &st) == 0)
        return CreateOutcome::Exists;
    if (errno == ENAMETOOLONG)
        return CreateOutcome::PathTooLong;
    if (!IsDirectory(current))
        return CreateOutcome::NotReady;
    switch (probe ? probe(current) : Probe::Writable) {
    case Probe::ReadOnly:
        return CreateOutcome::WriteProtected;
    case Probe::Unreachable:
        return CreateOutcome::NotReady;
    case Probe::Writable:
        break;
    }
    if (::mkdir(path.c_str(), 0777) != 0) {
        switch (errno) {
        case EEXIST:
            return CreateOutcome::Exists;
        case EROFS:
        case EACCES:
        case EPERM:
        case ENOSPC:
        case EDQUOT:
            return CreateOutcome::WriteProtected;
        case ENAMETOOLONG:
            return CreateOutcome::PathTooLong;
        case ENOENT:
        case ENOTDIR:
            return CreateOutcome::NotReady;
        default:
            return CreateOutcome::CreateFailed;
        }
    }
    if (newPath)
        *newPath = path;
    return CreateOutcome::Created;
}

Refusal RefusalFor(CreateOutcome outcome, int language) {
    Refusal r;
    r.kind = VOK_BOX_OTHER;
    r.style = VOK_MB_OK | VOK_MB_ICONWARNING;
    switch (outcome) {
    case CreateOutcome::Created:
        r.text.clear();
        break;
    case CreateOutcome::NameLength: {
        r.text = TextFor(Text::NameLength, language);
        const std::size_t at = r.text.find("%d");
        if (at != std::string::npos)
            r.text.replace(at, 2, std::to_string(kMaxNameLetters));
        break;
    }
    case CreateOutcome::BadCharacter:
        r.text = TextFor(Text::BadCharacter, language);
        break;
    case CreateOutcome::ReservedName:
        r.text = TextFor(Text::ReservedName, language);
        break;
    case CreateOutcome::PathTooLong:
        r.number = 170; // "Folder is too long."
        break;
    case CreateOutcome::Exists:
        r.kind = VOK_BOX_ERROR;
        r.style = VOK_MB_OK;
        r.text = TextFor(Text::FolderExists, language);
        break;
    case CreateOutcome::NotReady:
        r.text = TextFor(Text::DriveNotReady, language);
        break;
    case CreateOutcome::WriteProtected:
        r.number = 58; // "The disk is write-protected."
        break;
    case CreateOutcome::CreateFailed:
        r.kind = VOK_BOX_ERROR;
        r.style = VOK_MB_OK;
        r.number = 169; // "Folder could not be created."
        break;
    }
    if (r.number > 0)
        r.text = vokc::CatalogueText(r.number);
    return r;
}

std::string NormalisePath(const std::string& path) {
    const QString home = QDir::homePath();
    if (path.empty())
        return QDir::cleanPath(home).toStdString();
    const QString given = QString::fromUtf8(path.data(), static_cast<int>(path.size()));
    if (QDir::isAbsolutePath(given))
        return QDir::cleanPath(given).toStdString();
    return QDir::cleanPath(home + "/" + given).toStdString();
}

std::string DeepestExistingPart(const std::string& path) {
    std::string part = path.empty() || path[0] != '/' ? std::string("/") : path;
    while (part.size() > 1 && !IsDirectory(part)) {
        const std::size_t slash = part.find_last_of('/');
        part = slash == 0 || slash == std::string::npos ? std::string("/") : part.substr(0, slash);
    }
    return part;
}

std::string OpeningFolder(const std::string& path) {
    std::string shown = "/";
    for (const std::string& part : Components(DeepestExistingPart(path))) {
        if (part[0] == '.')
            break;
        shown = ComposeNewPath(shown, part);
    }
    return shown;
}

bool FolderIsChoosable(const std::string& folder) {
    if (folder.empty() || !IsDirectory(folder))
        return false;
    const std::size_t slash = folder.find_last_of('/');
    const std::string base = slash == std::string::npos ? folder : folder.substr(slash + 1);
    if (!base.empty() && base[0] == '.')
        return false;
    // access() answers from permissions and the mount's read-only flag without writing into
    // the folder, which matters because it runs on every selection change.
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

} // namespace vokbrowse
