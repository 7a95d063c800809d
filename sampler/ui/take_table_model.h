// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The take browser's table: one row per take of a TakeFolder, with its
// figures as the report gave them or as they were measured since. User-
// interface thread only.

#include <QAbstractTableModel>

#include "session/take_list.h"

namespace ntr::ui {

class TakeTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { Program, Note, Velocity, Round, Status, Peak, Rms, Onset, Cents, Loop, ColumnCount };

  explicit TakeTableModel(std::vector<session::TakeEntry> takes, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  const session::TakeEntry& Take(int row) const { return takes_.at(static_cast<std::size_t>(row)); }
  // A take the report did not know, once it was measured.
  void SetMeasured(int row, const TakeLevels& levels);
  // A take as it was listed again (after a retake).
  void SetTake(int row, session::TakeEntry take);

 private:
  std::vector<session::TakeEntry> takes_;
};

}  // namespace ntr::ui
