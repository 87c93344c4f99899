#include "ui/uFolderSelect.h"

#include "ui/pathlist.h"
#include "ui/skin.h"

#include <QCheckBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeView>

TfFolderSelect::TfFolderSelect(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("fFolderSelect"));
    setWindowTitle(QStringLiteral("Browse For Folder"));
    setFixedSize(321, 371);
    QFont f;
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    f.setPixelSize(11);
    setFont(f);

    // Created in their tab order: OK, Cancel, the check box, the tree.
    Button1 = new QPushButton(tr("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(157, 338, 75, 25);
    Button2 = new QPushButton(tr("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(238, 338, 75, 25);
    cbWithSubFolders = new QCheckBox(tr("Include subfolders"), this);
    cbWithSubFolders->setObjectName(QStringLiteral("cbWithSubFolders"));
    cbWithSubFolders->setGeometry(8, 8, 121, 17);
    cbWithSubFolders->setChecked(true);

    TreeView = new QTreeView(this);
    TreeView->setObjectName(QStringLiteral("TreeView"));
    TreeView->setGeometry(8, 31, 305, 301);
    TreeView->setHeaderHidden(true);
    // The file system's root is the one node at the top, without a button.
    TreeView->setRootIsDecorated(false);
    TreeView->setIndentation(19);
    TreeView->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);

    // Neither button is the dialog's default: Enter presses the focused one.
    Button1->setAutoDefault(false);
    Button2->setAutoDefault(false);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, cbWithSubFolders);
    setTabOrder(cbWithSubFolders, TreeView);

    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    // OK means nothing until there is a folder to take.
    Button1->setEnabled(false);
}

void TfFolderSelect::fillTree() {
    // The folders are read when the dialog is first wanted, not at start-up.
    if (m_model)
        return;
    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::Dirs | QDir::Drives | QDir::NoDotAndDotDot);
    // The tree shows the folders as they were when it was opened.
    m_model->setOption(QFileSystemModel::DontWatchForChanges);
    m_model->setRootPath(QDir::rootPath());
    TreeView->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        TreeView->hideColumn(column);
    connect(TreeView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TfFolderSelect::onSelectionChanged);
    const QModelIndex home = m_model->index(QDir::homePath());
    if (home.isValid()) {
        for (QModelIndex up = home; up.isValid(); up = up.parent())
            TreeView->expand(up);
        TreeView->selectionModel()->setCurrentIndex(home, QItemSelectionModel::NoUpdate);
        TreeView->scrollTo(home, QAbstractItemView::PositionAtTop);
    }
    // The folders come in the background; until one is chosen, the home
    // folder stays in view at the top as its neighbours arrive.
    connect(m_model, &QFileSystemModel::directoryLoaded, this, &TfFolderSelect::showHomeOnTop);
}

void TfFolderSelect::showHomeOnTop() {
    if (selectedFolder().empty() && TreeView->currentIndex().isValid())
        TreeView->scrollTo(TreeView->currentIndex(), QAbstractItemView::PositionAtTop);
}

std::string TfFolderSelect::selectedFolder() const {
    if (!m_model)
        return {};
    const QModelIndexList rows = TreeView->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return {};
    const QString path = m_model->filePath(rows.first());
    return path.isEmpty() ? std::string() : TextToPath(path);
}

void TfFolderSelect::selectFolder(const QString& path) {
    fillTree();
    const QModelIndex index = m_model->index(path);
    if (!index.isValid())
        return;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        TreeView->expand(up);
    TreeView->setCurrentIndex(index);
    TreeView->scrollTo(index);
}

bool TfFolderSelect::withSubFolders() const {
    return cbWithSubFolders->isChecked();
}

void TfFolderSelect::onSelectionChanged() {
    Button1->setEnabled(!selectedFolder().empty());
}

void TfFolderSelect::showEvent(QShowEvent* event) {
    fillTree();
    if (!m_placed) {
        m_placed = true;
        if (m_anchor) {
            const QScreen* screen = QGuiApplication::primaryScreen();
            const QPoint desktop = screen ? screen->virtualGeometry().topLeft() : QPoint();
            move(
                SkinWindow::CentredOver(QRect(m_anchor->pos(), m_anchor->size()), size(), desktop));
        }
    } else {
        // Where it was when last closed, wherever the user moved it.
        move(m_lastPos);
    }
    QDialog::showEvent(event);
    // Once the tree has its size.
    QTimer::singleShot(0, this, &TfFolderSelect::showHomeOnTop);
    // OK first, as the tab order has it; the tree while there is nothing to take.
    if (Button1->isEnabled())
        Button1->setFocus();
    else
        TreeView->setFocus();
}

void TfFolderSelect::hideEvent(QHideEvent* event) {
    m_lastPos = pos();
    QDialog::hideEvent(event);
}

void TfFolderSelect::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        // Only Cancel and the close box close this dialog.
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled())
            button->click();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
