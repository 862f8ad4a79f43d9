/* The state dump: what a user of the program sees, as one JSON object that tests and scripts
 * read from outside (VOK_STATE_DUMP). The frame fills the record; this file gives its form.
 * Each window's subsystem may add keys of its own through `extra`. */
#ifndef QUBEX_STATE_DUMP_H
#define QUBEX_STATE_DUMP_H

#include <QByteArray>
#include <QJsonObject>

#include <map>
#include <string>
#include <vector>

namespace qubex {

struct DumpChild {
    int kind = 0;
    std::string windowClass;
    std::string title;
    std::string path;
    bool active = false;
    bool modified = false;
    QJsonObject extra; /* the window kind's own keys (zoom, entries, playing, ...) */
};

struct DumpItem {
    bool enabled = false;
    bool checked = false;
};

struct DumpButton {
    int id = 0;
    bool enabled = false;
    bool pressed = false;
};

struct DumpDialog {
    std::string objectName;
    std::string title;
};

struct StateDump {
    std::string program = "qubex";
    long long pid = 0;
    int language = 4;
    std::string frameTitle;
    bool frameVisible = false;
    bool frameMinimized = false;
    std::vector<DumpChild> children;
    std::map<int, DumpItem> menus;
    std::vector<DumpButton> toolbar;
    std::vector<std::string> status;
    std::vector<DumpDialog> dialogs;
    bool toolWindowVisible = false;
    std::vector<std::string> openRequests; /* paths routed to the opening of files */
    bool communicating = false;            /* a camera connection is open */
    QJsonObject camera; /* the camera commands' own keys beside "communicating" */
};

QJsonObject StateDumpJson(const StateDump& dump);
QByteArray StateDumpText(const StateDump& dump);
/* Writes the text by temporary file and rename. */
bool WriteStateDump(const std::string& path, const QByteArray& text);

} // namespace qubex

#endif
