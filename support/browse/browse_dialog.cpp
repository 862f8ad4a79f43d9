/* The two dialogs of the folder browser (VOKBROWSE and VOKCREATEFOLDERNAME) and the library's
 * exports. The widgets only show the tree and forward the user's actions; every decision is a
 * call into browse_rules. */
#include "VokSHUtil.h"

#include "VokDscMsg.h"
#include "browse_rules.h"
#include "vok_owner.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>

#include <cstring>

namespace vokbrowse {
namespace {

QString Tr(Text text) {
    return QString::fromUtf8(TextFor(text, VokDsc_Msg_Language()));
}

void ShowRefusal(QWidget* owner, CreateOutcome outcome) {
    const Refusal r = RefusalFor(outcome, VokDsc_Msg_Language());
    const std::string title = MessageCaption();
    VokDsc_Msg_Box(owner, static_cast<VokBoxKind>(r.kind), r.number, r.text.c_str(), title.c_str(),
                   r.style);
}

// The name dialog stays open after a refusal, so the user can correct the name.
class CreateFolderDialog : public QDialog {
  public:
    CreateFolderDialog(QWidget* parent, const std::string& current)
        : QDialog(parent), current_(current) {
        setObjectName("VOKCREATEFOLDERNAME");
        setWindowTitle(Tr(Text::CreateTitle));
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(Tr(Text::CurrentPath), this));
        auto* path = new QLabel(QString::fromStdString(current), this);
        path->setObjectName("currentPath");
        path->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(path);
        layout->addWidget(new QLabel(Tr(Text::NewName), this));
        edit_ = new QLineEdit(this);
        edit_->setObjectName("nameEdit");
        layout->addWidget(edit_);
        auto* buttons = new QDialogButtonBox(this);
        auto* ok = buttons->addButton(Tr(Text::Ok), QDialogButtonBox::AcceptRole);
        ok->setObjectName("okButton");
        ok->setDefault(true);
        buttons->addButton(Tr(Text::Cancel), QDialogButtonBox::RejectRole)
            ->setObjectName("cancelButton");
        layout->addWidget(buttons);
        connect(buttons, &QDialogButtonBox::accepted, this, [this] { TryCreate(); });
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        edit_->setFocus();
    }
    const std::string& Created() const { return created_; }

  private:
    void TryCreate() {
        const CreateOutcome outcome =
            CreateFolder(current_, edit_->text().toStdString(), &created_);
        if (outcome == CreateOutcome::Created) {
            accept();
            return;
        }
        ShowRefusal(this, outcome);
        edit_->setFocus();
        edit_->selectAll();
    }

    std::string current_;
    std::string created_;
    QLineEdit* edit_ = nullptr;
};

// Icons by kind alone. The model asks for the icon and type of every entry of a folder, files
// included; the default provider would read a file's contents to find its type, and a read can
// block for good on special files (a FIFO, a device-like file under /proc).
class PlainIconProvider : public QAbstractFileIconProvider {
  public:
    using QAbstractFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override {
        if (info.isRoot())
            return icon(Drive);
        return icon(info.isDir() ? Folder : File);
    }
    QString type(const QFileInfo& info) const override {
        return info.isDir() ? QStringLiteral("Folder") : QStringLiteral("File");
    }
};

// One for the process: the model's own thread may still ask while the dialog is destroyed.
QAbstractFileIconProvider* PlainIcons() {
    static auto* provider = new PlainIconProvider;
    return provider;
}

class BrowseDialog : public QDialog {
  public:
    BrowseDialog(QWidget* parent, const std::string& target) : QDialog(parent) {
        setObjectName("VOKBROWSE");
        setWindowTitle(Tr(Text::BrowseTitle));
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(Tr(Text::BrowsePrompt), this));

        // QFileSystemModel reads a folder's children when it is first expanded, on its own
        // thread; hidden folders stay out of the tree as in the desktop's file dialogs.
        model_ = new QFileSystemModel(this);
        model_->setIconProvider(PlainIcons());
        model_->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
        model_->setReadOnly(true);
        model_->setRootPath("/");
        tree_ = new QTreeView(this);
        tree_->setObjectName("folderTree");
        tree_->setModel(model_);
        tree_->setHeaderHidden(true);
        for (int column = 1; column < model_->columnCount(); ++column)
            tree_->hideColumn(column);
        tree_->setSortingEnabled(true);
        tree_->sortByColumn(0, Qt::AscendingOrder);
        tree_->setMinimumSize(320, 300);
        layout->addWidget(tree_);

        auto* row = new QHBoxLayout;
        create_ = new QPushButton(Tr(Text::CreateButton), this);
        create_->setObjectName("createFolder");
        create_->setAutoDefault(false);
        row->addWidget(create_);
        row->addStretch();
        ok_ = new QPushButton(Tr(Text::Ok), this);
        ok_->setObjectName("okButton");
        ok_->setDefault(true);
        auto* cancel = new QPushButton(Tr(Text::Cancel), this);
        cancel->setObjectName("cancelButton");
        cancel->setAutoDefault(false);
        row->addWidget(ok_);
        row->addWidget(cancel);
        layout->addLayout(row);

        connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this](const QModelIndex& current) {
                    if (model_->filePath(current) != revealing_)
                        revealing_.clear();
                    UpdateButtons();
                });
        connect(create_, &QPushButton::clicked, this, [this] { CreateInSelection(); });
        connect(ok_, &QPushButton::clicked, this, [this] { TryAccept(); });
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

        // Folders along the way load in the background; until the user picks another
        // folder, each loaded level brings the selection back into view.
        connect(model_, &QFileSystemModel::directoryLoaded, this, [this](const QString& folder) {
            if (!revealing_.isEmpty() && (revealing_ + "/").startsWith(folder))
                Reveal();
        });
        // The model sorts a loaded level a moment later, which moves the rows again.
        connect(model_, &QAbstractItemModel::layoutChanged, this, [this] { Reveal(); });
        connect(model_, &QAbstractItemModel::rowsInserted, this, [this] { Reveal(); });
        Select(target);
        // Once the user opens, closes or scrolls the tree, the view is theirs.
        auto stopRevealing = [this] { revealing_.clear(); };
        connect(tree_, &QTreeView::expanded, this, stopRevealing);
        connect(tree_, &QTreeView::collapsed, this, stopRevealing);
        connect(tree_->verticalScrollBar(), &QAbstractSlider::actionTriggered, this, stopRevealing);
        UpdateButtons();
        tree_->setFocus();
    }

    std::string Chosen() const { return chosen_; }

  protected:
    void showEvent(QShowEvent* event) override {
        QDialog::showEvent(event);
        tree_->scrollTo(tree_->currentIndex(), QAbstractItemView::PositionAtCenter);
    }

  private:
    // Keeps the opening folder in view until the user picks another one.
    void Reveal() {
        if (!revealing_.isEmpty())
            tree_->scrollTo(tree_->currentIndex(), QAbstractItemView::PositionAtCenter);
    }

    std::string Selected() const {
        const QModelIndex index = tree_->currentIndex();
        return index.isValid() ? model_->filePath(index).toStdString() : std::string();
    }

    void Select(const std::string& folder) {
        const QModelIndex index = model_->index(QString::fromStdString(folder));
        if (!index.isValid())
            return;
        for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
            tree_->expand(up);
        tree_->expand(index);
        tree_->setCurrentIndex(index);
        tree_->scrollTo(index, QAbstractItemView::PositionAtCenter);
        revealing_ = model_->filePath(index);
    }

    void UpdateButtons() {
        const bool usable = FolderIsChoosable(Selected());
        ok_->setEnabled(usable);
        create_->setEnabled(usable);
    }

    void CreateInSelection() {
        const std::string current = Selected();
        if (!FolderIsChoosable(current))
            return;
        CreateFolderDialog dialog(this, current);
        if (dialog.exec() != QDialog::Accepted)
            return;
        const QModelIndex parent = tree_->currentIndex();
        tree_->collapse(parent);
        Select(dialog.Created());
        tree_->setFocus();
    }

    void TryAccept() {
        const std::string folder = Selected();
        if (!FolderIsChoosable(folder))
            return;
        if (!FitsPathBuffer(folder)) {
            ShowRefusal(this, CreateOutcome::PathTooLong);
            return;
        }
        chosen_ = folder;
        accept();
    }

    QFileSystemModel* model_ = nullptr;
    QTreeView* tree_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* create_ = nullptr;
    std::string chosen_;
    QString revealing_; // the folder being brought into view, empty once the user moves
};

} // namespace
} // namespace vokbrowse

extern "C" int VokSHBrowseFolder(VokOwner owner, char* path) {
    using namespace vokbrowse;
    if (!path || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return 0;
    const std::string given(path, ::strnlen(path, VOK_MAX_PATH - 1));
    BrowseDialog dialog(vokc::LiveWidget(owner), OpeningFolder(NormalisePath(given)));
    if (dialog.exec() != QDialog::Accepted)
        return 0;
    const std::string chosen = dialog.Chosen();
    std::memcpy(path, chosen.c_str(), chosen.size() + 1);
    return 1;
}

extern "C" int VokSHLibSetMsgTitle(int /*number*/, const char* caption) {
    vokbrowse::SetMessageCaption(caption);
    return 1;
}
