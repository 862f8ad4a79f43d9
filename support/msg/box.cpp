/* The one message box of the suite: logs it for VOK_MSG_LOG, answers it for
 * VOK_MSG_ANSWER, has the widget plugin show it when a QApplication runs, or prints it to
 * standard error without one. The three showing operations of the catalogue sit on top.
 * Nothing here uses Qt: the plugin is opened only for a box to be shown in a process that
 * has Qt Widgets already. */
#include "VokDscMsg.h"
#include "VokDscMsgUi.h"
#include "msg_box_rules.h"
#include "msg_texts.h"
#include "ui_plugin.h"
#include "vok_files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vokmsg {

BoxLayout LayoutFor(int kind, unsigned style) {
    BoxLayout b;
    auto set = [&b](std::initializer_list<int> buttons) {
        b.count = 0;
        for (int id : buttons)
            b.buttons[b.count++] = id;
    };
    switch (kind) {
    case VOK_BOX_ERROR:
        set({VOK_IDOK});
        b.icon = BoxIcon::Critical;
        break;
    case VOK_BOX_QUERY:
        set({VOK_IDYES, VOK_IDNO});
        b.icon = BoxIcon::Question;
        break;
    case VOK_BOX_MESSAGE:
        set({VOK_IDOK});
        break;
    case VOK_BOX_YESNOCANCEL:
        set({VOK_IDYES, VOK_IDNO, VOK_IDCANCEL});
        b.icon = BoxIcon::Question;
        break;
    default:
        switch (style & 0x0Fu) {
        case VOK_MB_OKCANCEL:
            set({VOK_IDOK, VOK_IDCANCEL});
            break;
        case VOK_MB_YESNOCANCEL:
            set({VOK_IDYES, VOK_IDNO, VOK_IDCANCEL});
            break;
        case VOK_MB_YESNO:
            set({VOK_IDYES, VOK_IDNO});
            break;
        default:
            set({VOK_IDOK});
            break;
        }
        switch (style & 0xF0u) {
        case VOK_MB_ICONERROR:
            b.icon = BoxIcon::Critical;
            break;
        case VOK_MB_ICONQUESTION:
            b.icon = BoxIcon::Question;
            break;
        case VOK_MB_ICONWARNING:
            b.icon = BoxIcon::Warning;
            break;
        case VOK_MB_ICONINFORMATION:
            b.icon = BoxIcon::Information;
            break;
        default:
            break;
        }
        break;
    }
    int index = 0;
    if ((style & 0xF00u) == VOK_MB_DEFBUTTON2)
        index = 1;
    else if ((style & 0xF00u) == VOK_MB_DEFBUTTON3)
        index = 2;
    b.defaultButton = b.buttons[index < b.count ? index : 0];
    // Escape means "no" on a Yes/No box and "cancel" wherever there is a Cancel.
    b.escapeButton = b.buttons[0];
    for (int i = 0; i < b.count; ++i)
        if (b.buttons[i] == VOK_IDCANCEL ||
            (b.buttons[i] == VOK_IDNO && b.escapeButton != VOK_IDCANCEL))
            b.escapeButton = b.buttons[i];
    return b;
}

int AnswerFor(const BoxLayout& layout, const char* answer) {
    int wanted = 0;
    if (answer) {
        if (std::strcmp(answer, "yes") == 0)
            wanted = VOK_IDYES;
        else if (std::strcmp(answer, "no") == 0)
            wanted = VOK_IDNO;
        else if (std::strcmp(answer, "ok") == 0)
            wanted = VOK_IDOK;
        else if (std::strcmp(answer, "cancel") == 0)
            wanted = VOK_IDCANCEL;
    }
    for (int i = 0; i < layout.count; ++i)
        if (layout.buttons[i] == wanted)
            return wanted;
    return layout.defaultButton;
}

const char* KindName(int kind) {
    switch (kind) {
    case VOK_BOX_ERROR:
        return "error";
    case VOK_BOX_QUERY:
        return "query";
    case VOK_BOX_MESSAGE:
        return "message";
    case VOK_BOX_YESNOCANCEL:
        return "yesnocancel";
    default:
        return "other";
    }
}

namespace {

void AppendOneLine(std::string& out, const char* s) {
    for (; s && *s; ++s) {
        if (*s == '\n')
            out += "\\n";
        else if (*s == '\r')
            out += "\\r";
        else
            out += *s;
    }
}

} // namespace

std::string LogLine(int kind, int number, const char* caption, const char* text) {
    std::string line = KindName(kind);
    line += ' ';
    line += number < 0 ? std::string("-") : std::to_string(number);
    line += ' ';
    AppendOneLine(line, caption);
    line += '\t';
    AppendOneLine(line, text);
    line += '\n';
    return line;
}

namespace {

void AppendToLog(const char* path, const std::string& line) {
    // One write on an O_APPEND descriptor, so lines of concurrent processes never mix.
    int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    vokc::WriteFull(fd, line.data(), line.size());
    ::close(fd);
}

// Button labels in the catalogue's language, so a German box does not say "Yes" even
// when the program loaded no Qt translations.
const char* ButtonLabel(int id, Language language) {
    static const char* const labels[3][4] = {
        {"OK", "Cancel", "&Yes", "&No"},
        {"OK", "Abbrechen", "&Ja", "&Nein"},
        {"OK", "Annuler", "&Oui", "&Non"},
    };
    const int column = id == VOK_IDCANCEL ? 1 : id == VOK_IDYES ? 2 : id == VOK_IDNO ? 3 : 0;
    return labels[language][column];
}

using ShowFunction = int (*)(VokOwner, const VokMsgUiBox*, const char*, const char*);

// The plugin's box, or null when no QApplication can run here (no Qt Widgets mapped) or the
// plugin is missing.
ShowFunction WidgetBox() {
    if (!vokui::WidgetsLoaded())
        return nullptr;
    static const ShowFunction show = reinterpret_cast<ShowFunction>(vokui::PluginSymbol(
        reinterpret_cast<const void*>(&VokDsc_Msg_Box), "libVokDscMsgUi.so", "VokDscMsgUi_Show"));
    return show;
}

VokMsgUiBox WidgetLayout(const BoxLayout& layout) {
    VokMsgUiBox box{};
    for (int i = 0; i < layout.count; ++i) {
        box.buttons[i] = layout.buttons[i];
        box.labels[i] = ButtonLabel(layout.buttons[i], CurrentLanguage());
    }
    box.count = layout.count;
    box.defaultButton = layout.defaultButton;
    box.escapeButton = layout.escapeButton;
    switch (layout.icon) {
    case BoxIcon::Critical:
        box.icon = VOK_MSG_UI_CRITICAL;
        break;
    case BoxIcon::Question:
        box.icon = VOK_MSG_UI_QUESTION;
        break;
    case BoxIcon::Warning:
        box.icon = VOK_MSG_UI_WARNING;
        break;
    case BoxIcon::Information:
        box.icon = VOK_MSG_UI_INFORMATION;
        break;
    default:
        box.icon = VOK_MSG_UI_NO_ICON;
        break;
    }
    return box;
}

int ShowCatalogueEntry(VokOwner owner, VokBoxKind kind, int number, const char* caption) {
    const std::string* text = LookUp(number, CurrentLanguage());
    return VokDsc_Msg_Box(owner, kind, number, text ? text->c_str() : "", caption, 0);
}

} // namespace
} // namespace vokmsg

extern "C" int VokDsc_Msg_Box(VokOwner owner, VokBoxKind kind, int number, const char* text,
                              const char* caption, unsigned style) {
    using namespace vokmsg;
    const int kindValue = static_cast<int>(kind);
    const BoxLayout layout = LayoutFor(kindValue, style);

    const char* logPath = std::getenv("VOK_MSG_LOG");
    if (logPath && *logPath)
        AppendToLog(logPath, LogLine(kindValue, number, caption, text));

    const char* answer = std::getenv("VOK_MSG_ANSWER");
    if (answer && *answer)
        return AnswerFor(layout, answer);

    if (ShowFunction show = WidgetBox()) {
        const VokMsgUiBox box = WidgetLayout(layout);
        if (const int result = show(owner, &box, text, caption))
            return result;
    }
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    std::fflush(stderr);
    return layout.defaultButton;
}

extern "C" int VokDsc_Msg_Error(VokOwner owner, int number, const char* caption) {
    return vokmsg::ShowCatalogueEntry(owner, VOK_BOX_ERROR, number, caption);
}

extern "C" int VokDsc_Msg_Query(VokOwner owner, int number, const char* caption) {
    return vokmsg::ShowCatalogueEntry(owner, VOK_BOX_QUERY, number, caption);
}

extern "C" int VokDsc_Msg_Message(VokOwner owner, int number, const char* caption) {
    return vokmsg::ShowCatalogueEntry(owner, VOK_BOX_MESSAGE, number, caption);
}
