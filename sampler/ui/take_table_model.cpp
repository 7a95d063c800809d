// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/take_table_model.h"

#include <QBrush>
#include <QColor>

namespace ntr::ui {

namespace {

QString Db(double value) {
  return value <= kSilenceFloorDbfs ? QStringLiteral("-inf") : QString::number(value, 'f', 1);
}

}  // namespace

TakeTableModel::TakeTableModel(std::vector<session::TakeEntry> takes, QObject* parent)
    : QAbstractTableModel(parent), takes_(std::move(takes)) {}

int TakeTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(takes_.size());
}

int TakeTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant TakeTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
  switch (section) {
    case Program: return QStringLiteral("Program");
    case Note: return QStringLiteral("Note");
    case Velocity: return QStringLiteral("Velocity");
    case Round: return QStringLiteral("Round");
    case Status: return QStringLiteral("Status");
    case Peak: return QStringLiteral("Peak (dBFS)");
    case Rms: return QStringLiteral("RMS (dBFS)");
    case Onset: return QStringLiteral("Onset (ms)");
    case Cents: return QStringLiteral("Cents");
    case Loop: return QStringLiteral("Loop");
    default: return {};
  }
}

QVariant TakeTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const session::TakeEntry& take = Take(index.row());
  if (role == Qt::ToolTipRole) {
    QString tip = QString::fromStdString(take.file);
    for (const std::string& warning : take.warnings) tip += QLatin1Char('\n') + QString::fromStdString(warning);
    return tip;
  }
  if (role == Qt::ForegroundRole && index.column() == Status && take.status != "saved" && take.status != "retaken" &&
      !take.status.empty()) {
    return QBrush(QColor(200, 40, 40));
  }
  if (role == Qt::TextAlignmentRole && index.column() != Status && index.column() != Loop) {
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  }
  if (role != Qt::DisplayRole) return {};
  const auto& figures = take.figures;
  switch (index.column()) {
    case Program: return QString::fromStdString(take.programTag);
    case Note: return QString::fromStdString(take.noteName);
    case Velocity: return take.velocity ? QVariant(*take.velocity) : QVariant(QStringLiteral("-"));
    case Round: return take.round;
    case Status: return take.status.empty() ? QStringLiteral("measuring...") : QString::fromStdString(StatusText(take));
    case Peak: return figures ? Db(figures->peakDbfs) : QString();
    case Rms: return figures ? Db(figures->rmsDbfs) : QString();
    case Onset: return figures && figures->onsetMs ? QString::number(*figures->onsetMs, 'f', 1) : QString();
    case Cents: return figures && figures->cents ? QString::number(*figures->cents, 'f', 1) : QString();
    case Loop: return figures && figures->loop ? QString::fromStdString(*figures->loop) : QString();
    default: return {};
  }
}

void TakeTableModel::SetMeasured(int row, const TakeLevels& levels) {
  session::TakeEntry& take = takes_.at(static_cast<std::size_t>(row));
  if (take.figures) return;
  take.figures = session::FiguresOf(levels);
  if (take.status.empty()) take.status = session::StatusOfMeasured(levels);
  emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void TakeTableModel::SetTake(int row, session::TakeEntry take) {
  takes_.at(static_cast<std::size_t>(row)) = std::move(take);
  emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

}  // namespace ntr::ui
