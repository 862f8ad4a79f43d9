/* The state dump's JSON form. */
#include "state_dump.h"

#include "vok_files.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace qubex {
namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

QJsonObject StateDumpJson(const StateDump& d) {
    QJsonObject o;
    o["program"] = Q(d.program);
    o["pid"] = static_cast<qint64>(d.pid);
    o["language"] = d.language;
    o["frame"] = QJsonObject{
        {"title", Q(d.frameTitle)}, {"visible", d.frameVisible}, {"minimized", d.frameMinimized}};
    QJsonArray children;
    for (const DumpChild& c : d.children) {
        QJsonObject child = c.extra;
        child["kind"] = c.kind;
        child["class"] = Q(c.windowClass);
        child["title"] = Q(c.title);
        child["path"] = Q(c.path);
        child["active"] = c.active;
        child["modified"] = c.modified;
        children.append(child);
    }
    o["children"] = children;
    QJsonObject menus;
    for (const auto& [id, item] : d.menus)
        menus[QString::number(id)] =
            QJsonObject{{"enabled", item.enabled}, {"checked", item.checked}};
    o["menus"] = menus;
    QJsonArray toolbar;
    for (const DumpButton& b : d.toolbar)
        toolbar.append(QJsonObject{{"id", b.id}, {"enabled", b.enabled}, {"pressed", b.pressed}});
    o["toolbar"] = toolbar;
    QJsonArray status;
    for (const std::string& s : d.status)
        status.append(Q(s));
    o["status"] = status;
    QJsonArray dialogs;
    for (const DumpDialog& dlg : d.dialogs)
        dialogs.append(QJsonObject{{"objectName", Q(dlg.objectName)}, {"title", Q(dlg.title)}});
    o["dialogs"] = dialogs;
    o["tool_window"] = QJsonObject{{"visible", d.toolWindowVisible}};
    QJsonArray requests;
    for (const std::string& p : d.openRequests)
        requests.append(Q(p));
    o["open_requests"] = requests;
    QJsonObject camera = d.camera;
    camera["communicating"] = d.communicating;
    o["camera"] = camera;
    return o;
}

QByteArray StateDumpText(const StateDump& dump) {
    return QJsonDocument(StateDumpJson(dump)).toJson(QJsonDocument::Indented);
}

bool WriteStateDump(const std::string& path, const QByteArray& text) {
    vokc::ReplaceOptions options;
    options.tempPrefix = ".qubex-state.";
    return vokc::ReplaceFile(path.c_str(), text.constData(), static_cast<size_t>(text.size()),
                             options);
}

} // namespace qubex
