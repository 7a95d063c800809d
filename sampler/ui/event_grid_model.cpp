// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/event_grid_model.h"

namespace ntr::ui {

EventGridModel::EventGridModel(const EventList& events, QObject* parent)
    : QAbstractTableModel(parent), events_(events) {}

int EventGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(events_.RowCount());
}

int EventGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kEventColumnCount; }

QVariant EventGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= events_.RowCount()) return {};
  if (role == Qt::DisplayRole) {
    const EventRow& row = events_.Row(static_cast<std::size_t>(index.row()));
    return QString::fromStdString(row.Cell(static_cast<EventColumn>(index.column())));
  }
  if (role == Qt::TextAlignmentRole) {
    return index.column() == 0 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter) : QVariant(Qt::AlignRight | Qt::AlignVCenter);
  }
  return {};
}

QVariant EventGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  if (section < 0 || section >= kEventColumnCount) return {};
  const std::string_view caption = kEventColumnCaptions[static_cast<std::size_t>(section)];
  return QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size()));
}

void EventGridModel::RefreshAll() {
  beginResetModel();
  endResetModel();
}

void EventGridModel::RefreshRow(int row) {
  emit dataChanged(index(row, 0), index(row, kEventColumnCount - 1));
}

}  // namespace ntr::ui
