#include "ui/pathlist.h"

#include <QDir>
#include <QPainter>

QString pathToText(const std::string& path) {
    return QString::fromUtf8(path);
}

std::string textToPath(const QString& text) {
    return QDir::toNativeSeparators(text).toUtf8().toStdString();
}

// ---------------------------------------------------------- PathListModel

int PathListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant PathListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    return PathRowDelegate::rowText(index.row(), path(index.row()));
}

void PathListModel::setRows(std::vector<std::string> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void PathListModel::append(std::vector<std::string> rows) {
    if (rows.empty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    if (m_rows.empty())
        m_rows = std::move(rows);
    else
        m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()),
                      std::make_move_iterator(rows.end()));
    endInsertRows();
}

void PathListModel::removeAt(int row) {
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

// -------------------------------------------------------- PathRowDelegate

QFont PathRowDelegate::rowFont() {
    QFont f;
    f.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    f.setPixelSize(9);
    f.setBold(true);
    return f;
}

QString PathRowDelegate::rowText(int row, const std::string& path) {
    return QString::number(row + 1) + QStringLiteral(". ") + pathToText(path);
}

void PathRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const QRect& r = option.rect;
    painter->save();
    painter->setClipRect(r);
    painter->fillRect(r, selected ? SelectedFill : Fill);
    // A selected row keeps the system's highlighted-text colour on its grey.
    painter->setPen(selected ? option.palette.color(QPalette::Active, QPalette::HighlightedText)
                             : Text);
    const QFont font = rowFont();
    painter->setFont(font);
    const QFontMetrics fm(font);
    // The text's top is centred in the row, halves dropped.
    const int top = r.top() + (RowHeight - fm.height()) / 2;
    painter->drawText(QPoint(TextLeft, top + fm.ascent()), index.data().toString());
    painter->restore();
}

QSize PathRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), RowHeight};
}
