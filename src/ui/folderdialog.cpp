#include "ui/folderdialog.h"

#include "ui/pathlist.h"
#include "ui/skin.h"

#include <QCheckBox>
#include <QCompleter>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeView>

FolderDialog::FolderDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("fFolderSelect"));
    setWindowTitle(tr("Browse For Folder"));
    setFixedSize(321, 371);
    QFont f;
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    f.setPixelSize(11);
    setFont(f);

    // Created in their tab order: OK, Cancel, the check box, the tree.
    button1 = new QPushButton(tr("OK"), this);
    button1->setObjectName(QStringLiteral("Button1"));
    button1->setGeometry(157, 338, 75, 25);
    button2 = new QPushButton(tr("Cancel"), this);
    button2->setObjectName(QStringLiteral("Button2"));
    button2->setGeometry(238, 338, 75, 25);
    cbWithSubFolders = new QCheckBox(tr("Include subfolders"), this);
    cbWithSubFolders->setObjectName(QStringLiteral("cbWithSubFolders"));
    cbWithSubFolders->setGeometry(8, 8, 121, 17);
    cbWithSubFolders->setChecked(true);

    treeView = new QTreeView(this);
    treeView->setObjectName(QStringLiteral("TreeView"));
    treeView->setGeometry(8, 31, 305, 273);
    treeView->setHeaderHidden(true);
    // The file system's root is the one node at the top, without a button.
    treeView->setRootIsDecorated(false);
    treeView->setIndentation(19);
    treeView->setSelectionMode(QAbstractItemView::SingleSelection);
    treeView->setEditTriggers(QAbstractItemView::NoEditTriggers);

    edtPath = new QLineEdit(this);
    edtPath->setObjectName(QStringLiteral("edtPath"));
    edtPath->setGeometry(8, 309, 305, 23);
    edtPath->setPlaceholderText(tr("Folder"));
    connect(edtPath, &QLineEdit::textEdited, this, &FolderDialog::onPathEdited);

    // Neither button is the dialog's default: Enter presses the focused one.
    button1->setAutoDefault(false);
    button2->setAutoDefault(false);
    setTabOrder(button1, button2);
    setTabOrder(button2, cbWithSubFolders);
    setTabOrder(cbWithSubFolders, treeView);
    setTabOrder(treeView, edtPath);

    connect(button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(button2, &QPushButton::clicked, this, &QDialog::reject);
    // OK means nothing until there is a folder to take.
    button1->setEnabled(false);
}

void FolderDialog::fillTree() {
    // The folders are read when the dialog is first wanted, not at start-up.
    if (m_model)
        return;
    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::Dirs | QDir::Drives | QDir::NoDotAndDotDot);
    // The tree shows the folders as they were when it was opened.
    m_model->setOption(QFileSystemModel::DontWatchForChanges);
    m_model->setRootPath(QDir::rootPath());
    treeView->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        treeView->hideColumn(column);
    connect(treeView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &FolderDialog::onSelectionChanged);
    const QModelIndex home = m_model->index(QDir::homePath());
    if (home.isValid()) {
        for (QModelIndex up = home; up.isValid(); up = up.parent())
            treeView->expand(up);
        treeView->expand(home);
        treeView->selectionModel()->setCurrentIndex(home, QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows);
        treeView->scrollTo(home, QAbstractItemView::PositionAtTop);
    }
    // The folders come in the background; until one is chosen, the home
    // folder stays in view at the top as its neighbours arrive.
    connect(m_model, &QFileSystemModel::directoryLoaded, this, &FolderDialog::showHomeOnTop);
    // A typed path is completed from the same folders.
    auto* completer = new QCompleter(m_model, edtPath);
    completer->setCompletionMode(QCompleter::InlineCompletion);
    edtPath->setCompleter(completer);
}

void FolderDialog::showHomeOnTop() {
    const QModelIndex home = m_model ? m_model->index(QDir::homePath()) : QModelIndex();
    if (treeView->currentIndex().isValid() && treeView->currentIndex() == home && !m_typing)
        treeView->scrollTo(treeView->currentIndex(), QAbstractItemView::PositionAtTop);
}

std::string FolderDialog::selectedFolder() const {
    if (!m_model)
        return {};
    const QModelIndexList rows = treeView->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return {};
    const QString path = m_model->filePath(rows.first());
    return path.isEmpty() ? std::string() : textToPath(path);
}

void FolderDialog::selectFolder(const QString& path) {
    fillTree();
    const QModelIndex index = m_model->index(path);
    if (!index.isValid())
        return;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        treeView->expand(up);
    treeView->setCurrentIndex(index);
    treeView->scrollTo(index);
}

bool FolderDialog::withSubFolders() const {
    return cbWithSubFolders->isChecked();
}

void FolderDialog::onSelectionChanged() {
    const std::string folder = selectedFolder();
    button1->setEnabled(!folder.empty());
    if (!m_typing)
        edtPath->setText(QString::fromStdString(folder));
}

void FolderDialog::onPathEdited(const QString& text) {
    // The tree follows while the text names a folder; OK takes only a folder.
    const QFileInfo info(QDir::cleanPath(text.trimmed()));
    if (text.trimmed().isEmpty() || !info.isAbsolute() || !info.isDir()) {
        button1->setEnabled(false);
        return;
    }
    m_typing = true;
    selectFolder(info.absoluteFilePath());
    m_typing = false;
    button1->setEnabled(!selectedFolder().empty());
}

void FolderDialog::showEvent(QShowEvent* event) {
    fillTree();
    if (!m_placed) {
        m_placed = true;
        if (m_anchor) {
            const QScreen* screen = QGuiApplication::primaryScreen();
            const QPoint desktop = screen ? screen->virtualGeometry().topLeft() : QPoint();
            move(
                SkinWindow::centredOver(QRect(m_anchor->pos(), m_anchor->size()), size(), desktop));
        }
    } else {
        // Where it was when last closed, wherever the user moved it.
        move(m_lastPos);
    }
    QDialog::showEvent(event);
    // Once the tree has its size.
    QTimer::singleShot(0, this, &FolderDialog::showHomeOnTop);
    // The tree, with the folder selected in it: typing a name moves to that
    // folder, Enter takes the selected one.
    treeView->setFocus();
}

void FolderDialog::hideEvent(QHideEvent* event) {
    m_lastPos = pos();
    QDialog::hideEvent(event);
}

void FolderDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        // Only Cancel and the close box close this dialog.
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A focused button is pressed; in the tree and the path field Enter
        // takes the selected (or typed) folder.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled())
            button->click();
        else if ((focusWidget() == treeView || focusWidget() == edtPath) && button1->isEnabled())
            button1->click();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
