// The folder dialog of the picture manager: a folder tree, "Include
// subfolders", OK and Cancel. Created once, so it keeps its tick and its
// selected folder for the whole run.
#pragma once

#include <QDialog>
#include <QPointer>

#include <string>

class QCheckBox;
class QFileSystemModel;
class QLineEdit;
class QPushButton;
class QTreeView;

class FolderDialog : public QDialog {
    Q_OBJECT
public:
    explicit FolderDialog(QWidget* parent = nullptr);

    /// The window the first showing centres this one over (the main window).
    void setPlacementAnchor(QWidget* anchor) { m_anchor = anchor; }

    /// The file-system path of the folder selected in the tree, empty when
    /// none is.
    std::string selectedFolder() const;
    /// Selects the folder at `path` in the tree (and opens the tree down to it).
    void selectFolder(const QString& path);
    /// Reads the folder tree, opened down to the home folder, which is
    /// selected (done by the first showing at the latest).
    void fillTree();
    /// True when "Include subfolders" is ticked.
    bool withSubFolders() const;

    QCheckBox* cbWithSubFolders = nullptr;
    QTreeView* treeView = nullptr;
    /// The selected folder's path; a path typed here selects that folder.
    QLineEdit* edtPath = nullptr;
    QPushButton* button1 = nullptr; ///< OK
    QPushButton* button2 = nullptr; ///< Cancel

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void onSelectionChanged();
    void onPathEdited(const QString& text);
    /// Until a folder is chosen: the home folder at the top of the tree.
    void showHomeOnTop();

    QFileSystemModel* m_model = nullptr;
    QPointer<QWidget> m_anchor;
    bool m_placed = false;
    bool m_typing = false; ///< the tree follows a typed path
    QPoint m_lastPos;
};
