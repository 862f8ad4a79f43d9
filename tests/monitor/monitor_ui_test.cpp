/* The monitor's windows offscreen: every control of the settings dialog by its identifier,
 * filled from the store, OK writing it back and Cancel not, the resize box enabling the radio
 * buttons, the labels in French; and the tray program's state dump with its settings dialog
 * open, its menu and its version box in German. */
#include "monitor_test_util.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "monitor_app.h"
#include "settings_dialog.h"

using namespace qubexmon;

namespace {

template <class W> W* Control(QWidget* dialog, int id) {
    W* w = dialog->findChild<W*>(QString::number(id));
    EXPECT_NE(w, nullptr) << id;
    return w;
}

QApplication& App() {
    static int argc = 1;
    static char name[] = "monitor_ui_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class MonitorUi : public ::testing::Test {
  protected:
    void SetUp() override { App(); }
    voktest::TempHome home_{"qubexmon-ui"};
};

TEST_F(MonitorUi, SettingsDialogShowsWritesAndCancels) {
    MonSettings stored;
    stored.application = voktest::MakeDirs(home_.dir, "bin");
    stored.image = voktest::MakeDirs(home_.dir, "pictures");
    stored.mail = voktest::MakeDirs(home_.dir, "mail");
    stored.flagResize = 0;
    stored.modeResize = 1;
    ASSERT_TRUE(MonWriteSettings(stored));

    std::vector<bool> confirmed;
    SettingsDialog dialog(
        home_.dir, [&](bool interrupted) { confirmed.push_back(interrupted); }, 4);
    dialog.ShowWith(true);
    EXPECT_EQ(dialog.objectName(), "DLG_EVENT_CONFIG");
    EXPECT_EQ(dialog.windowTitle(), "Environment settings");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.isModal());
    EXPECT_TRUE(Control<QCheckBox>(&dialog, 1007)->isChecked());
    EXPECT_EQ(Control<QLineEdit>(&dialog, 1011)->text().toStdString(), stored.application);
    EXPECT_EQ(Control<QLineEdit>(&dialog, 1012)->text().toStdString(), stored.image);
    EXPECT_EQ(Control<QLineEdit>(&dialog, 1013)->text().toStdString(), stored.mail);
    for (int id : {1008, 1009, 1010, 1, 2})
        Control<QPushButton>(&dialog, id);
    QCheckBox* resize = Control<QCheckBox>(&dialog, 1016);
    QRadioButton* vga = Control<QRadioButton>(&dialog, 1017);
    QRadioButton* qvga = Control<QRadioButton>(&dialog, 1018);
    EXPECT_FALSE(resize->isChecked());
    EXPECT_TRUE(qvga->isChecked());
    EXPECT_FALSE(vga->isEnabled());
    EXPECT_FALSE(qvga->isEnabled());

    resize->click();
    EXPECT_TRUE(vga->isEnabled());
    vga->click();
    Control<QCheckBox>(&dialog, 1007)->click();
    const std::string other = voktest::MakeDirs(home_.dir, "other");
    Control<QLineEdit>(&dialog, 1013)->setText(QString::fromStdString(other));
    Control<QPushButton>(&dialog, 1)->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(confirmed, std::vector<bool>{false});
    MonSettings back = MonReadSettings(home_.dir);
    EXPECT_EQ(back.mail, other);
    EXPECT_EQ(back.image, stored.image);
    EXPECT_EQ(back.flagResize, 1);
    EXPECT_EQ(back.modeResize, 0);

    dialog.ShowWith(false);
    Control<QLineEdit>(&dialog, 1012)->setText(QString::fromStdString(other));
    Control<QPushButton>(&dialog, 2)->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(confirmed.size(), 1u);
    EXPECT_EQ(MonReadSettings(home_.dir).image, stored.image);

    // The labels follow the language code.
    SettingsDialog french(home_.dir, nullptr, 1);
    EXPECT_EQ(french.windowTitle(), "Paramètres d'environnement");
    EXPECT_EQ(Control<QCheckBox>(&french, 1007)->text(), "&interruption temporaire");
    EXPECT_EQ(Control<QPushButton>(&french, 2)->text(), "Annuler");
}

TEST_F(MonitorUi, StateDumpNamesTheTrayPollingAndTheOpenDialog) {
    MonLink link;
    ASSERT_TRUE(MonLink_Load(&link));
    MonitorApp app(&link, 2); // German: the tip is the same in every language
    QJsonObject dump = QJsonDocument::fromJson(app.DumpText()).object();
    EXPECT_EQ(dump["program"].toString(), "qubexmon");
    EXPECT_EQ(dump["pid"].toInteger(), QCoreApplication::applicationPid());
    EXPECT_EQ(dump["tray"].toObject()["tip"].toString(), "qubex Monitor");
    EXPECT_FALSE(dump["tray"].toObject()["visible"].toBool()); // no notification area offscreen
    EXPECT_FALSE(dump["polling"].toBool());                    // the worker is not running
    EXPECT_TRUE(dump["dialogs"].toArray().isEmpty());

    app.ShowSettings();
    dump = QJsonDocument::fromJson(app.DumpText()).object();
    const QJsonArray dialogs = dump["dialogs"].toArray();
    ASSERT_EQ(dialogs.size(), 1);
    EXPECT_EQ(dialogs[0].toObject()["objectName"].toString(), "DLG_EVENT_CONFIG");
    EXPECT_EQ(dialogs[0].toObject()["title"].toString(), "Umgebungseinstellungen");

    // The tray menu and the version box in the same language.
    QStringList items;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* menu = qobject_cast<QMenu*>(w))
            for (QAction* a : menu->actions())
                if (!a->isSeparator())
                    items << a->text();
    EXPECT_EQ(items, (QStringList{"&Umgebungseinstellungen... ", "&Versionsinformation...",
                                  "&Hilfe", "&Beenden"}));
    QString version;
    QTimer::singleShot(0, [&version] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            for (QLabel* label : box->findChildren<QLabel*>())
                version += label->text();
            box->accept();
        }
    });
    app.ShowVersion();
    EXPECT_NE(version.indexOf("Überwacht die Übertragungstaste"), -1) << version.toStdString();
}

} // namespace
