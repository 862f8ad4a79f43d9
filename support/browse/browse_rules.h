/* The decisions of the folder browser as plain functions: which folder to open at, which
 * folders may be chosen, how a new folder's name is checked and the folder created, and the
 * library's own texts. The dialogs only call these. */
#ifndef VOK_BROWSE_RULES_H
#define VOK_BROWSE_RULES_H

#include <string>

namespace vokbrowse {

constexpr int kMaxNameLetters = 100; // letters of a new folder's name
constexpr int kMaxPathBytes = 259;   // a path buffer of the suite, terminator excluded

/* Texts that belong to the library (the catalogue does not hold them). */
enum class Text {
    BrowseTitle,
    BrowsePrompt,
    CreateButton,
    Ok,
    Cancel,
    CreateTitle,
    CurrentPath,
    NewName,
    NameLength, // "%d" is filled with kMaxNameLetters
    BadCharacter,
    FolderExists,
    DriveNotReady,
    ReservedName,
    FolderMissing,  // part of the text set, shown by no operation
    CannotSaveHere, // part of the text set, shown by no operation
    Count
};

/* The text in language (VOK_LANG_*, anything else English), UTF-8. */
const char* TextFor(Text text, int language);

/* The caption of the library's boxes, as VokSHLibSetMsgTitle last set it. */
std::string MessageCaption();
void SetMessageCaption(const char* caption);

/* Outcome of checking and creating a new folder; each refusal has one box. */
enum class CreateOutcome {
    Created,
    NameLength,     // empty after trimming, or more than 100 letters
    BadCharacter,   // " * / : < > ? \ | or a control character
    ReservedName,   // "." or ".."
    PathTooLong,    // the new path would not fit a path buffer
    Exists,         // something of that name is already there
    NotReady,       // the current folder is gone or cannot be reached
    WriteProtected, // the current folder does not take new files
    CreateFailed    // the folder could not be made for another reason
};

/* Checks a typed name after removing its leading spaces, which cleaned receives (may be
 * null). Created means the name itself is acceptable. */
CreateOutcome CheckFolderName(const std::string& typed, std::string* cleaned);

/* The new folder's path: current, a "/" unless current already ends with one, and name. */
std::string ComposeNewPath(const std::string& current, const std::string& name);

/* Whether new files can be made in a folder. */
enum class Probe { Writable, ReadOnly, Unreachable };

/* Creates and removes a temporary file with the prefix "VOK" in folder. */
Probe ProbeByTempFile(const std::string& folder);
using WriteProbe = Probe (*)(const std::string& folder);

/* The whole create step of the new-folder dialog: name check, path, existence, the write
 * probe, then mkdir. newPath receives the created folder's path. */
CreateOutcome CreateFolder(const std::string& current, const std::string& typed,
                           std::string* newPath, WriteProbe probe = ProbeByTempFile);

/* The box that reports an outcome (none for Created). number is the catalogue number or -1
 * for the library's own text; kind and style are VokBoxKind and VOK_MB_* values. */
struct Refusal {
    int kind = 0;
    int number = -1;
    unsigned style = 0;
    std::string text;
};
Refusal RefusalFor(CreateOutcome outcome, int language);

/* An absolute, clean form of a path given by a caller: empty gives the home folder, a
 * relative path counts from the home folder. */
std::string NormalisePath(const std::string& path);

/* The deepest folder along path (absolute, clean) that exists; "/" at worst. */
std::string DeepestExistingPart(const std::string& path);

/* The deepest existing folder along path that the tree shows: hidden folders (names starting
 * with ".") are not shown, so the path is cut before the first of them. */
std::string OpeningFolder(const std::string& path);

/* A folder can be chosen (OK and the create button enabled) when it exists, is not hidden
 * and the user may create entries in it. */
bool FolderIsChoosable(const std::string& folder);

/* Whether a path fits the caller's buffer. */
inline bool FitsPathBuffer(const std::string& path) {
    return path.size() <= static_cast<std::size_t>(kMaxPathBytes);
}

} // namespace vokbrowse

#endif
