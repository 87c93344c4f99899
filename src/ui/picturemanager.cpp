#include "ui/picturemanager.h"

#include "collection/folderwalk.h"
#include "collection/state.h"
#include "collection/thumbpath.h"
#include "collection/walls.h"
#include "imaging/codecs.h"
#include "platform/paths.h"
#include "thumbs/strip.h"
#include "ui/dialogs.h"
#include "ui/folderdialog.h"
#include "ui/pathlist.h"
#include "ui/previewloader.h"

#include <QCompleter>
#include <QFileDialog>
#include <QFutureWatcher>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QProgressBar>
#include <QScrollBar>
#include <QStringList>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <filesystem>
#include <string_view>

namespace fs = std::filesystem;

namespace {

QFont fontOf(int pixelSize) {
    QFont f;
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    f.setPixelSize(pixelSize);
    return f;
}

} // namespace

PictureManager::PictureManager(ProgramState& state, QWidget* parent)
    : SkinWindow(QSize(570, 389), "imgInterfacePicManager", "imgInterfacePicManager", parent),
      m_state(state) {
    setObjectName(QStringLiteral("fPicManager"));
    setWindowTitle(QStringLiteral("Quorvane"));
    setFont(fontOf(11));

    // In painting order: each control is drawn over the ones before it.
    m_iClose = new SkinButton("iClose", {233, 361, 103, 27}, this, tr("Close"));
    m_iFile = new SkinButton("iFile", {24, 291, 76, 36}, this, tr("Add images"));
    m_iDir = new SkinButton("iDir", {125, 291, 76, 36}, this, tr("Add Folders"));
    m_iDel = new SkinButton("iDel", {369, 291, 76, 36}, this, tr("Delete"));
    m_iClear = new SkinButton("iClear", {470, 291, 76, 36}, this, tr("Clear"));
    iPreview = new SkinPicture("iPreview", {240, 270, 89, 66}, this, QPixmap());
    iPreview->setStretched(true);

    m_model = new PathListModel(this);
    lbPic = new QListView(this);
    lbPic->setObjectName(QStringLiteral("lbPic"));
    lbPic->setGeometry(11, 45, 546, 212);
    lbPic->setFrameShape(QFrame::NoFrame);
    lbPic->setUniformItemSizes(true);
    lbPic->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lbPic->setSelectionMode(QAbstractItemView::SingleSelection);
    lbPic->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lbPic->setModel(m_model);
    lbPic->setItemDelegate(new PathRowDelegate(lbPic));
    QPalette listColours = lbPic->palette();
    listColours.setColor(QPalette::Base, PathRowDelegate::Fill);
    listColours.setColor(QPalette::Text, PathRowDelegate::Text);
    lbPic->setPalette(listColours);
    // The scroll bar in the skin's dark greys rather than the desktop's light ones.
    QPalette barColours = lbPic->verticalScrollBar()->palette();
    barColours.setColor(QPalette::Window, QColor(24, 24, 26));
    barColours.setColor(QPalette::Base, QColor(24, 24, 26));
    barColours.setColor(QPalette::Button, QColor(72, 72, 76));
    barColours.setColor(QPalette::ButtonText, QColor(200, 200, 200));
    barColours.setColor(QPalette::WindowText, QColor(200, 200, 200));
    barColours.setColor(QPalette::Light, QColor(96, 96, 100));
    barColours.setColor(QPalette::Midlight, QColor(84, 84, 88));
    barColours.setColor(QPalette::Mid, QColor(48, 48, 52));
    barColours.setColor(QPalette::Dark, QColor(16, 16, 18));
    barColours.setColor(QPalette::Shadow, QColor(0, 0, 0));
    lbPic->verticalScrollBar()->setPalette(barColours);
    lbPic->installEventFilter(this);
    connect(lbPic->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_selecting)
            previewSelected();
    });

    panel1 = new QLabel(QStringLiteral("Please wait..."), this);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setGeometry(11, 42, 547, 215);
    panel1->setAlignment(Qt::AlignCenter);
    panel1->setFont(fontOf(19));
    panel1->setAutoFillBackground(true);
    QPalette panelColours = panel1->palette();
    panelColours.setColor(QPalette::Window, Qt::black);
    panelColours.setColor(QPalette::WindowText, Qt::white);
    panel1->setPalette(panelColours);
    panel1->hide();
    pb = new QProgressBar(panel1);
    pb->setObjectName(QStringLiteral("pb"));
    pb->setGeometry(140, 138, 267, 17);
    pb->setRange(0, 100);
    pb->setTextVisible(false);
    pb->hide();

    m_preview = new PreviewLoader(this);
    connect(m_preview, &PreviewLoader::loaded, this, &PictureManager::onPreviewLoaded);

    connect(m_iClose, &SkinButton::clicked, this, &SkinWindow::closeWindow);
    connect(m_iFile, &SkinButton::clicked, this, &PictureManager::addFiles);
    connect(m_iDir, &SkinButton::clicked, this, &PictureManager::addFolder);
    connect(m_iDel, &SkinButton::pressed, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton && !waiting())
            deleteSelected();
    });
    connect(m_iClear, &SkinButton::clicked, this, &PictureManager::clearAll);
}

PictureManager::~PictureManager() {
    if (m_scan)
        m_scan->cancel();
}

const std::vector<std::string>& PictureManager::rows() const {
    return m_model->rows();
}

void PictureManager::clearRows() {
    m_model->setRows({});
    emptyPreview();
}

int PictureManager::selectedRow() const {
    const QModelIndexList selected = lbPic->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void PictureManager::selectRow(int row) {
    m_selecting = true;
    if (row >= 0 && row < m_model->rowCount()) {
        const QModelIndex index = m_model->index(row);
        lbPic->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        lbPic->scrollTo(index);
    } else {
        lbPic->selectionModel()->clear();
    }
    m_selecting = false;
    previewSelected();
}

bool PictureManager::waiting() const {
    return !panel1->isHidden();
}

bool PictureManager::previewLoading() const {
    return m_preview->busy();
}

void PictureManager::showWaitPanel(bool withProgress) {
    panel1->setText(QStringLiteral("Please wait..."));
    pb->setValue(0);
    pb->setVisible(withProgress);
    panel1->show();
    panel1->raise();
}

void PictureManager::hideWaitPanel() {
    pb->hide();
    panel1->hide();
}

void PictureManager::showEvent(QShowEvent* event) {
    SkinWindow::showEvent(event);
    m_state.listChanged = false;
    // The wait panel keeps every edit out until the fill has run, just after
    // the window first paints.
    showWaitPanel(true);
    lbPic->setFocus();
    QTimer::singleShot(0, this, &PictureManager::fillFromWalls);
}

void PictureManager::fillFromWalls() {
    if (!isVisible()) {
        // Closed before the fill came round: the list stays as it was.
        hideWaitPanel();
        return;
    }
    // A plain copy of the paths: fast even for a large collection, so it runs
    // at once, and the wait panel goes when it is done.
    emptyPreview();
    std::vector<std::string> rows;
    rows.reserve(m_state.walls.size());
    for (const WallEntry& wall : m_state.walls)
        rows.push_back(wall.path);
    m_model->setRows(std::move(rows));
    hideWaitPanel();
    m_state.listChanged = false;
    if (m_model->rowCount() > 0)
        selectRow(0);
}

void PictureManager::addFiles() {
    if (waiting())
        return;
    if (!dOpen) {
        dOpen = new QFileDialog(this);
        dOpen->setObjectName(QStringLiteral("dOpen"));
        dOpen->setFileMode(QFileDialog::ExistingFiles);
        dOpen->setAcceptMode(QFileDialog::AcceptOpen);
        QStringList patterns;
        for (std::string_view ext : pictureExtensions())
            patterns << QLatin1Char('*') + QLatin1String(ext.data(), qsizetype(ext.size()));
        dOpen->setNameFilter(tr("Pictures (%1)").arg(patterns.join(QLatin1Char(' '))));
        // The file name's completion list fills in the background and can come
        // up after a typed name was accepted and the dialog closed: left alone
        // it would stay over the manager and swallow the next click.
        if (auto* edit = dOpen->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            edit && edit->completer())
            m_completionList = edit->completer()->popup();
        if (m_completionList)
            m_completionList->installEventFilter(this);
    }
    const int result = dOpen->exec();
    if (m_completionList)
        m_completionList->hide();
    if (result != QDialog::Accepted)
        return;
    m_state.listChanged = true;
    std::vector<std::string> added;
    std::size_t unlistable = 0;
    for (const QString& file : dOpen->selectedFiles()) {
        std::string path = textToPath(file);
        if (isListablePath(path))
            added.push_back(std::move(path));
        else
            ++unlistable;
    }
    m_model->append(std::move(added));
    if (m_model->rowCount() > 0)
        selectRow(0);
    showUnlistableNotice(unlistable);
}

void PictureManager::setFolderSelect(FolderDialog* folderSelect) {
    if (m_folderSelect)
        disconnect(m_folderSelect, nullptr, this, nullptr);
    m_folderSelect = folderSelect;
    if (!m_folderSelect)
        return;
    connect(m_folderSelect, &QDialog::accepted, this, [this] {
        if (isVisible())
            scanFolder(m_folderSelect->selectedFolder(), m_folderSelect->withSubFolders());
    });
}

void PictureManager::addFolder() {
    if (waiting() || !m_folderSelect || m_folderSelect->isVisible())
        return;
    // Modal to the whole program, without waiting here for the answer.
    m_folderSelect->setWindowModality(Qt::ApplicationModal);
    m_folderSelect->show();
}

void PictureManager::scanFolder(const std::string& dir, bool useSubFolders) {
    if (waiting())
        return;
    showWaitPanel(true);
    // The walk runs on a worker and hands back plain rows; the watcher belongs
    // to the window, so the result arrives here or, once the window is gone,
    // nowhere.
    auto* watcher = new QFutureWatcher<FolderScan>(this);
    m_scan = watcher;
    connect(watcher, &QFutureWatcherBase::progressValueChanged, pb, &QProgressBar::setValue);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        if (m_scan != watcher)
            return; // dropped when the window closed
        m_scan = nullptr;
        if (watcher->isCanceled() || watcher->future().resultCount() == 0)
            return;
        FolderScan found = watcher->future().takeResult();
        m_state.listChanged = true;
        m_model->append(std::move(found.rows));
        hideWaitPanel();
        if (m_model->rowCount() > 0)
            selectRow(0);
        showUnlistableNotice(found.unlistable);
    });
    watcher->setFuture(QtConcurrent::run([dir, useSubFolders](QPromise<FolderScan>& promise) {
        FolderScan found;
        promise.setProgressRange(0, 100);
        found.unlistable = ::scanDir(dir, useSubFolders, found.rows, [&promise](int percent) {
            promise.setProgressValue(percent);
            return !promise.isCanceled();
        });
        promise.addResult(std::move(found));
    }));
}

void PictureManager::dropScan() {
    if (!m_scan)
        return;
    // The walk stops at its next folder; what it found is not wanted.
    m_scan->cancel();
    m_scan = nullptr;
    hideWaitPanel();
}

void PictureManager::hideEvent(QHideEvent* event) {
    dropScan();
    SkinWindow::hideEvent(event);
}

void PictureManager::showUnlistableNotice(std::size_t count) {
    if (count == 0)
        return;
    // The list file holds one path per line: such a name would come back as
    // two paths naming other files.
    const QString text =
        count == 1 ? tr("One picture was not added because its file name contains a line break.")
                   : tr("%L1 pictures were not added because their file names contain line breaks.")
                         .arg(count);
    showMessage(this, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

void PictureManager::deleteSelected() {
    const int row = selectedRow();
    if (row >= 0)
        removeRow(row);
}

void PictureManager::deleteSelectedWithFile() {
    const int row = selectedRow();
    if (row < 0)
        return;
    const std::string path = m_model->path(row);
    if (!askDeleteFile(this, path))
        return;
    const fs::path file = platform::toFsPath(path);
    std::error_code ec;
    // The row names a file; a folder of that name is never removed.
    if (fs::symlink_status(file, ec).type() != fs::file_type::directory)
        fs::remove(file, ec);
    // The row asked about leaves the list: the same index holding the same path.
    if (row < m_model->rowCount() && m_model->path(row) == path)
        removeRow(row);
}

void PictureManager::removeRow(int row) {
    m_state.listChanged = true;
    const std::string thumbnail = findThumbnailOnDisk(m_state.dataFolder, m_model->path(row));
    if (!thumbnail.empty()) {
        std::error_code ec;
        fs::remove(platform::toFsPath(thumbnail), ec);
    }
    m_model->removeAt(row);
    const int count = m_model->rowCount();
    if (count == 0) {
        selectRow(-1);
        emptyPreview();
    } else {
        selectRow(std::min(row, count - 1));
    }
}

void PictureManager::clearAll() {
    if (waiting() || m_clearQuestion)
        return;
    // The lines of folders that are away go too, though the list does not show them.
    const std::size_t count = m_model->rows().size() + m_state.unavailableWalls.size();
    if (count == 0)
        return clearNow();
    const QString text =
        count == 1 ? tr("Remove 1 picture from the collection?\n\nThe picture file stays on "
                        "disk; the thumbnail cache is emptied.")
                   : tr("Remove all %L1 pictures from the collection?\n\nThe picture files stay "
                        "on disk; the thumbnail cache is emptied.")
                         .arg(count);
    m_clearQuestion =
        showMessage(this, QMessageBox::Question, text, QMessageBox::Ok | QMessageBox::Cancel,
                    QMessageBox::Cancel, [this](QMessageBox::StandardButton answer) {
                        if (answer == QMessageBox::Ok && isVisible() && !waiting())
                            clearNow();
                    });
}

void PictureManager::clearNow() {
    m_state.listChanged = true;
    m_model->setRows({});
    if (!m_state.dataFolder.empty())
        removeAll(thumbnailFolder(m_state.dataFolder));
    emptyPreview();
    clearPreview(m_state);
    m_state.walls.clear();
    m_state.unavailableWalls.clear();
}

void PictureManager::previewSelected() {
    const int row = selectedRow();
    if (row < 0)
        return;
    const std::string& path = m_model->path(row);
    // A missing file keeps the preview as it is.
    if (!platform::isRegularFile(path))
        return;
    const QSize size = iPreview->size() * iPreview->devicePixelRatioF();
    m_preview->request(path, findThumbnailOnDisk(m_state.dataFolder, path), size);
}

void PictureManager::emptyPreview() {
    m_preview->cancel();
    iPreview->setPixmap(QPixmap());
}

void PictureManager::onPreviewLoaded(const QImage& image) {
    if (image.isNull()) {
        iPreview->setPixmap(QPixmap());
        return;
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(iPreview->devicePixelRatioF());
    iPreview->setPixmap(pixmap);
}

bool PictureManager::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_completionList && event->type() == QEvent::Show && !dOpen->isVisible()) {
        QMetaObject::invokeMethod(m_completionList, &QWidget::hide, Qt::QueuedConnection);
        return false;
    }
    if (watched == lbPic && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && selectedRow() >= 0) {
            if (!waiting()) {
                if (key->modifiers() & Qt::ShiftModifier)
                    deleteSelectedWithFile();
                else
                    deleteSelected();
            }
            return true;
        }
    }
    return SkinWindow::eventFilter(watched, event);
}
