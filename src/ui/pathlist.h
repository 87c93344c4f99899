// The picture manager's list: a model holding one picture path per row (as
// the bytes the path came with) and the delegate that draws its rows.
#pragma once

#include <QAbstractItemDelegate>
#include <QAbstractListModel>
#include <QColor>
#include <QFont>

#include <string>
#include <vector>

/// A program path as text to show, and text from a dialog as a program path.
QString pathToText(const std::string& path);
std::string textToPath(const QString& text);

/// The rows of the picture manager's list.
class PathListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    /// The display text is the row as drawn: its number, ". ", the path.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    const std::vector<std::string>& rows() const { return m_rows; }
    const std::string& path(int row) const { return m_rows[static_cast<std::size_t>(row)]; }

    /// Replaces every row at once.
    void setRows(std::vector<std::string> rows);
    /// Appends rows after the last one.
    void append(std::vector<std::string> rows);
    /// Removes one row (0 <= row < rowCount()).
    void removeAt(int row);

private:
    std::vector<std::string> m_rows;
};

/// Draws a row of the list: the number, ". " and the path, in bold 9 px
/// Verdana (DejaVu Sans where there is none), light grey on black, the
/// selected row on grey; never a focus frame. Rows are 20 px high.
class PathRowDelegate : public QAbstractItemDelegate {
    Q_OBJECT
public:
    static constexpr int RowHeight = 20;
    static constexpr int TextLeft = 4;
    static inline const QColor Fill{0, 0, 0};
    static inline const QColor Text{229, 229, 229};
    static inline const QColor SelectedFill{119, 119, 119};

    using QAbstractItemDelegate::QAbstractItemDelegate;

    /// The rows' font.
    static QFont rowFont();
    /// The text of row `row` showing `path`.
    static QString rowText(int row, const std::string& path);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
