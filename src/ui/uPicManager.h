// The picture manager: the collection's list, edited by adding pictures and
// folders, removing entries and clearing everything; the main window takes
// the list back when it closes.
#pragma once

#include "ui/skin.h"

#include <string>
#include <vector>

struct ProgramState;

class TfPicManager : public SkinWindow {
    Q_OBJECT
public:
    explicit TfPicManager(ProgramState& state, QWidget* parent = nullptr);

    /// The rows of the list (lbPic), in order.
    std::vector<std::string> rows() const { return m_rows; }
    /// Replaces the rows (an edit: ListChanged is set).
    void setRows(std::vector<std::string> rows);
    /// Empties the list and the preview (after the main window took them).
    void clearRows();

protected:
    /// FormActivate: every showing starts with the collection's paths and
    /// ListChanged off.
    void showEvent(QShowEvent* event) override;

private:
    ProgramState& m_state;
    std::vector<std::string> m_rows;
    SkinButton* iClose = nullptr;
};
