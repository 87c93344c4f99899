// The picture manager: the collection's list, edited by adding pictures and
// folders, removing entries and clearing everything; the main window takes
// the list back when it closes.
#pragma once

#include "ui/skin.h"

#include <string>
#include <vector>

class PathListModel;
class PreviewLoader;
class QFileDialog;
class QFutureWatcherBase;
class QLabel;
class QListView;
class QMessageBox;
class QProgressBar;
class FolderDialog;
class Collection;
struct ProgramState;

/// The folder the file dialog opens in: `lastUsed` while it is a folder,
/// else the user's Pictures folder when there is one, else the home folder.
QString fileDialogFolder(const QString& lastUsed);

class PictureManager : public SkinWindow {
    Q_OBJECT
public:
    PictureManager(ProgramState& state, Collection& collection, QWidget* parent = nullptr);
    ~PictureManager() override;

    /// The folder dialog that adding a folder shows.
    void setFolderSelect(FolderDialog* folderSelect);

    /// The rows of the list (lbPic), in order.
    const std::vector<std::string>& rows() const;
    /// Empties the list and the preview (after the main window took them).
    void clearRows();
    /// The selected row, -1 for none.
    int selectedRow() const;
    /// Selects row `row` (none for -1) and previews it.
    void selectRow(int row);
    /// True while the wait panel shows (the fill and a folder scan): adding,
    /// removing and clearing do nothing then.
    bool waiting() const;
    /// True while a preview is being loaded.
    bool previewLoading() const;
    /// The folder the file dialog last took files from (empty before it
    /// did); it opens there next time while that is a folder.
    const QString& lastFileFolder() const { return m_lastFileFolder; }
    void setLastFileFolder(const QString& folder) { m_lastFileFolder = folder; }

    /// Fills the list from the collection behind the wait panel; listChanged goes off.
    void fillFromWalls();
    /// Opens the file dialog and returns; the picture files chosen there are
    /// added once the dialog is accepted.
    void addFiles();
    /// Opens the folder dialog and returns; the folder chosen there is
    /// walked once the dialog is accepted (scanFolder).
    void addFolder();
    /// Starts appending the pictures of a folder (of its subfolders too with
    /// `useSubFolders`) as rows: the folders are walked in the background
    /// behind the wait panel, its bar showing how far the walk has come.
    /// Pictures whose names hold a line break are left out with a notice.
    /// Closing the window drops a walk that has not ended.
    void scanFolder(const std::string& dir, bool useSubFolders);
    /// Starts appending the pictures of these files and folders (folders with
    /// their subfolders) as rows, as scanFolder does: dropped on a window or
    /// handed over from the command line. Other files are left out and named
    /// in a notice. While the wait panel shows, they are added after the
    /// work that shows it.
    void addPaths(const std::vector<std::string>& paths);
    /// Removes the selected row and its cached thumbnail file.
    void deleteSelected();
    /// Asks, then deletes the selected row's picture file from disk and removes the row.
    void deleteSelectedWithFile();
    /// Asks whether to clear (naming the number of pictures, Cancel being the
    /// default) and on OK empties the list, the collection and the thumbnail
    /// cache at once. An empty collection is cleared without a question.
    void clearAll();
    /// Shows the selected row's picture in the preview.
    void previewSelected();

    QListView* lbPic = nullptr;
    SkinPicture* iPreview = nullptr;
    QLabel* panel1 = nullptr;
    QProgressBar* pb = nullptr;
    QFileDialog* dOpen = nullptr;

signals:
    /// The window closed before these files and folders, handed over with
    /// addPaths, reached its list.
    void addsLeftOver(const std::vector<std::string>& paths);

protected:
    /// Each showing starts with listChanged off and the fill from the collection.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void dropScan();
    /// Gathers `paths` on a worker behind the wait panel and appends what it finds.
    void startGather(std::vector<std::string> paths, bool useSubFolders);

    /// The file dialog's answer: on Accepted its files become rows.
    void onFilesChosen(int result);
    void showWaitPanel(bool withProgress);
    void hideWaitPanel();
    void removeRow(int row);
    void emptyPreview();
    void clearNow();
    /// Tells that `count` pictures were not added (their names hold line breaks).
    void showUnlistableNotice(std::size_t count);
    /// Tells which of the things given were not added (not pictures nor folders).
    void showSkippedNotice(const std::vector<std::string>& skipped);
    void onPreviewLoaded(const QImage& image);

    ProgramState& m_state;
    Collection& m_collection;
    PathListModel* m_model = nullptr;
    PreviewLoader* m_preview = nullptr;
    FolderDialog* m_folderSelect = nullptr;
    SkinButton* m_iClose = nullptr;
    SkinButton* m_iFile = nullptr;
    SkinButton* m_iDir = nullptr;
    SkinButton* m_iDel = nullptr;
    SkinButton* m_iClear = nullptr;
    bool m_selecting = false; ///< a selection made by the program: previewed once, after it
    QFutureWatcherBase* m_scan = nullptr; ///< the folder walk that runs, if any
    /// The folder files were last taken from in the file dialog.
    QString m_lastFileFolder;
    /// The paths handed over that the running walk gathers.
    std::vector<std::string> m_gatherPaths;
    /// Paths handed over while the wait panel showed, added after it.
    std::vector<std::string> m_pendingPaths;
    QPointer<QWidget> m_completionList;    ///< the file dialog's completion popup
    QPointer<QMessageBox> m_clearQuestion; ///< while Clear waits for its answer
};
