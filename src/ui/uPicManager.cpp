#include "ui/uPicManager.h"

#include "collection/state.h"

TfPicManager::TfPicManager(ProgramState& state, QWidget* parent)
    : SkinWindow(QSize(570, 389), "imgInterfacePicManager", "imgInterfacePicManager", parent),
      m_state(state) {
    setObjectName(QStringLiteral("fPicManager"));
    setWindowTitle(QStringLiteral("Quorvane"));
    iClose = new SkinButton("iClose", {233, 361, 103, 27}, this, tr("Close"));
    connect(iClose, &SkinButton::clicked, this, &SkinWindow::closeWindow);
}

void TfPicManager::setRows(std::vector<std::string> rows) {
    m_rows = std::move(rows);
    m_state.ListChanged = true;
}

void TfPicManager::clearRows() {
    m_rows.clear();
}

void TfPicManager::showEvent(QShowEvent* event) {
    SkinWindow::showEvent(event);
    m_rows.clear();
    for (const TWall& w : m_state.Walls)
        m_rows.push_back(w.Path);
    m_state.ListChanged = false;
}
