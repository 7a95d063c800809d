// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The grid dbgEvents shows the event list through this model: six text
// columns "Note", "Vel", "Chn", "Duration", "Decay", "Number", one row per
// event. The list changes only through the window, which calls Refresh*
// around each change. User-interface thread only.

#include <QAbstractTableModel>

#include "engine/events/event_list.h"

namespace ntr::ui {

class EventGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit EventGridModel(const EventList& events, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // The whole list was rebuilt or extended.
  void RefreshAll();
  // One row was edited.
  void RefreshRow(int row);

 private:
  const EventList& events_;
};

}  // namespace ntr::ui
