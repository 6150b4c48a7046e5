#pragma once
// The window's 年度: the school year holding the month shown, a row per teacher, read in the
// background from the month's files as the month is, and saved as `-f year` saves it. The
// month's own reading, and so its days, stay as they are.

#include "report/report.h"
#include "report/year.h"
#include "saving/saving.h"

#include <QAbstractTableModel>
#include <QDir>
#include <QFutureWatcher>
#include <atomic>
#include <memory>

class QPagedPaintDevice;

namespace velmora {

// 時間外 per month April to March, with the month's 在校等時間 in its tooltip, then the year's
// totals, highest averages, months over 45 h and flags; red where the limits are passed.
class YearModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setYear(const YearReport& year);
    const YearReport& year() const { return year_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    YearReport year_;
    QList<QStringList> cells_; // yearCells() of each teacher
};

class YearView : public QObject {
    Q_OBJECT
public:
    explicit YearView(QObject* parent = nullptr);
    ~YearView() override;

    // The month's reading the year follows, as it was last shown: read at once while the year
    // is shown, else when it next is.
    void follow(ReportRequest month);
    void setShown(bool shown);
    bool shown() const { return shown_; }
    // A year is there to save or print: read, for the month followed.
    bool ready() const { return !reading_ && !stale_ && failure_.isEmpty(); }
    bool reading() const { return reading_; }
    YearModel& model() { return model_; }
    // What the status line says of the year: its extent, why there is none, or the reading.
    QString status() const;

    QStringList outputNames(Formats formats) const;
    // The year's files into `folder`, whole or none; their paths. Throws Failure.
    QStringList save(const QDir& folder, Formats formats) const;
    void paint(QPagedPaintDevice& device) const;

signals:
    // The year read (or why not), or its reading begun.
    void changed();

private:
    struct Built {
        YearReport year;
        QString failure;
    };
    void read();
    void built();

    YearModel model_;
    ReportRequest month_;
    bool shown_ = false;
    bool stale_ = true; // the year shown is not the month's followed
    bool reading_ = false;
    bool readAgain_ = false; // the month followed changed while it ran
    QString failure_;
    QFutureWatcher<Built> building_;
    std::shared_ptr<std::atomic_bool> stop_;
};

} // namespace velmora
