#pragma once
// The month's report as a table: the summary (one row per teacher) or one teacher's days.
// Every figure and flag comes from the report library; red marks what it flagged.

#include "report/report.h"

#include <QAbstractTableModel>

namespace velmora {

class ReportModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setReport(const MonthReport& report);
    // -1: the summary; else the teacher at that index of the report.
    void showTeacher(int teacher);
    bool showsTeacher() const { return teacher_ >= 0; }
    const MonthReport& report() const { return report_; }
    int teacher() const { return teacher_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    // The texts of a row, made once at its first cell: the library writes a row at a time.
    const QStringList& cells(int row) const;

    MonthReport report_;
    int teacher_ = -1;
    mutable QList<QStringList> cells_; // a row's, empty until asked
};

} // namespace velmora
