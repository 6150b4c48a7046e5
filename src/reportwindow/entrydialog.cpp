#include "reportwindow/entrydialog.h"

#include "ledger/csv.h"
#include "report/month.h"
#include "report/nearestname.h"
#include "reportwindow/closingdialog.h"
#include "saving/output.h"
#include "storage/datafiles.h"
#include "texts/texts.h"

#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringListModel>
#include <QVBoxLayout>

namespace velmora {

namespace {

constexpr EntryKind kKinds[] = {EntryKind::Trip,       EntryKind::Telework,   EntryKind::SelfStudy,
                                EntryKind::ArrivalFix, EntryKind::LeavingFix, EntryKind::Leave};

// As the entries' file reads it ("8:30", "8:30:00", full-width digits too); empty is -1.
std::optional<int> typedTime(const QString& typed) {
    const QString text = typed.trimmed();
    return text.isEmpty() ? -1 : parseTime(text, kFileTime);
}

QString span(const Entry& e) { return spanText(e.start, e.end); }

QString when(const Entry& e) { return writtenText(e.written); }

} // namespace

EntryDialog::EntryDialog(Dialogs& dialogs, const QDir& folder, const QList<Entry>& entries,
                         const QStringList& known, const QStringList& recorded,
                         const QString& writer, const QString& name, QDate date, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), folder_(folder), entries_(entries), recorded_(recorded),
      recordedSet_(recorded.begin(), recorded.end()), writer_(writer), name_(new QLineEdit),
      date_(new QDateEdit), kind_(new QComboBox), start_(new QLineEdit), end_(new QLineEdit),
      reason_(new QLineEdit), history_(new QListWidget), fault_(new QLabel) {
    setObjectName(QStringLiteral("entryDialog"));
    setWindowTitle(texts::kEntryTitle);
    byDay_.reserve(entries.size() / 4);
    for (qsizetype i = 0; i < entries.size(); ++i) index(i);
    name_->setObjectName(QStringLiteral("entryName"));
    // One model, sorted once: a typed prefix is found by halves, not by a walk of the names.
    QStringList names = known;
    names.sort();
    auto* completer = new QCompleter(new QStringListModel(names, this), this);
    completer->setModelSorting(QCompleter::CaseSensitivelySortedModel);
    name_->setCompleter(completer);
    name_->setText(name);
    date_->setObjectName(QStringLiteral("entryDate"));
    date_->setDisplayFormat(texts::kEntryDateFormat);
    date_->setCalendarPopup(true);
    date_->setDate(date);
    kind_->setObjectName(QStringLiteral("entryKind"));
    for (EntryKind k : kKinds) kind_->addItem(entryKindName(k), int(k));
    start_->setObjectName(QStringLiteral("entryStart"));
    end_->setObjectName(QStringLiteral("entryEnd"));
    for (QLineEdit* e : {start_, end_}) e->setPlaceholderText(texts::kEntryTimeHint);
    reason_->setObjectName(QStringLiteral("entryReason"));
    history_->setObjectName(QStringLiteral("entryHistory"));
    history_->setWordWrap(true);
    fault_->setObjectName(QStringLiteral("entryFault"));
    fault_->setWordWrap(true);
    fault_->setStyleSheet(QStringLiteral("color: red"));
    auto* cancelButton = new QPushButton(texts::kCancelEntryButton);
    cancelButton->setObjectName(QStringLiteral("entryCancel"));
    cancelButton->setAutoDefault(false); // Enter is OK, wherever the focus is
    connect(cancelButton, &QPushButton::clicked, this, &EntryDialog::cancelChosen);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->setObjectName(QStringLiteral("entryButtons"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &EntryDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &EntryDialog::reject);
    connect(name_, &QLineEdit::textChanged, this, &EntryDialog::listDay);
    connect(date_, &QDateEdit::dateChanged, this, &EntryDialog::listDay);

    auto* form = new QFormLayout;
    const auto row = [form](const QString& label, QWidget* field) {
        auto* l = new QLabel(label);
        l->setBuddy(field);
        form->addRow(l, field);
    };
    row(texts::kEntryNameLabel, name_);
    row(texts::kEntryDateLabel, date_);
    row(texts::kEntryKindLabel, kind_);
    row(texts::kEntryStartLabel, start_);
    row(texts::kEntryEndLabel, end_);
    row(texts::kEntryReasonLabel, reason_);
    auto* historyLabel = new QLabel(texts::kEntryHistoryLabel);
    historyLabel->setBuddy(history_);
    auto* historyRow = new QHBoxLayout;
    historyRow->addWidget(historyLabel, 1);
    historyRow->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(fault_);
    layout->addLayout(historyRow);
    layout->addWidget(history_, 1);
    layout->addWidget(buttons);
    const QList<QWidget*> order = {name_,   date_,    kind_,        start_, end_,
                                   reason_, history_, cancelButton, buttons};
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
    fault_->hide();
    resize(520, 420);
    listDay();
    kind_->setFocus(); // the name and the day are those chosen in the window
}

void EntryDialog::index(qsizetype entry) {
    byDay_[{entries_[entry].name, entries_[entry].date.toJulianDay()}] << entry;
}

void EntryDialog::listDay() {
    history_->clear();
    listed_.clear();
    const auto day = byDay_.constFind({name_->text().trimmed(), date_->date().toJulianDay()});
    if (day == byDay_.cend()) return;
    QList<Entry> entries;
    for (qsizetype i : *day) entries << entries_[i];
    for (const EntryState& s : entryStates(entries)) {
        const Entry& e = s.entry;
        QString text =
            texts::kEntryListed.arg(entryKindName(e.kind), span(e), e.reason, e.writer, when(e));
        if (afterClosing(e, closings_)) text += QStringLiteral("　") + texts::kAfterClosing;
        if (s.cancelled())
            text += texts::kEntryCancelled.arg(s.cancelledBy->reason, s.cancelledBy->writer,
                                               when(*s.cancelledBy));
        if (s.cancelled() && afterClosing(*s.cancelledBy, closings_))
            text += QStringLiteral("　") + texts::kAfterClosing;
        auto* item = new QListWidgetItem(text, history_);
        item->setToolTip(text);
        QFont font = item->font();
        font.setStrikeOut(s.cancelled());
        item->setFont(font);
        listed_ << s;
    }
    if (!listed_.isEmpty()) history_->setCurrentRow(int(listed_.size()) - 1);
}

Entry EntryDialog::stamped() const {
    Entry e;
    const QDateTime now = QDateTime::currentDateTime();
    e.written = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute()));
    e.writer = writer_;
    e.name = name_->text().trimmed();
    e.date = date_->date();
    return e;
}

bool EntryDialog::append(const Entry& entry) {
    const auto refuse = [this](const QString& text) {
        fault_->setText(text);
        fault_->show();
        return false;
    };
    if (const std::optional<QString> fault = entryFault(entry)) return refuse(*fault);
    try {
        appendEntry(folder_, entry);
    } catch (const Failure& failure) {
        return refuse(failure.message());
    }
    fault_->hide();
    entries_ << entry;
    index(entries_.size() - 1);
    emit appended();
    return true;
}

void EntryDialog::accept() {
    Entry e = stamped();
    e.kind = EntryKind(kind_->currentData().toInt());
    e.reason = reason_->text().trimmed();
    for (auto [field, edit, label] : {std::tuple{&e.start, start_, texts::kStartField},
                                      std::tuple{&e.end, end_, texts::kEndField}}) {
        const std::optional<int> minutes = typedTime(edit->text());
        if (!minutes) {
            fault_->setText(texts::kBadTimeField.arg(label, edit->text().trimmed()));
            fault_->show();
            edit->setFocus();
            return;
        }
        *field = *minutes;
    }
    if (const std::optional<QString> fault = entryFault(e)) {
        fault_->setText(*fault);
        fault_->show();
        return;
    }
    if (!e.name.isEmpty() && !recordedSet_.contains(e.name)) {
        const std::optional<QString> near = nearestName(e.name, recorded_);
        const QString text =
            near ? texts::kUnknownNameNear.arg(e.name, *near) : texts::kUnknownName.arg(e.name);
        if (!dialogs_.confirm(this, QStringLiteral("unknownName"), texts::kUnknownNameTitle, text))
            return;
    }
    if (allowedOn(e.date) && append(e)) QDialog::accept();
}

void EntryDialog::setClosings(const QList<Closing>& closings) {
    closings_ = closings;
    listDay();
}

// Allowed after a warning: a late correction is still a correction, and the sheets then mark
// the day changed since the closing.
bool EntryDialog::allowedOn(QDate date) {
    return !inClosedMonth(closings_, date) ||
           dialogs_.confirm(this, QStringLiteral("closedMonth"), texts::kClosedMonthTitle,
                            texts::kEntryInClosedMonth.arg(monthTitle(date)));
}

// An entry the cancellation would not cancel (a later one of the same keys stands) is refused
// rather than the wrong one cancelled.
void EntryDialog::cancelChosen() {
    const int row = history_->currentRow();
    if (row < 0 || row >= listed_.size() || listed_[row].cancelled()) return;
    const Entry chosen = listed_[row].entry;
    Entry trial = chosen;
    trial.cancels = true;
    QList<Entry> day;
    for (qsizetype i : byDay_.value({chosen.name, chosen.date.toJulianDay()})) day << entries_[i];
    if (!wouldCancel(day, trial, row)) {
        fault_->setText(texts::kCancelLatestFirst);
        fault_->show();
        return;
    }
    if (!allowedOn(chosen.date)) return;
    const std::optional<QString> reason = dialogs_.text(this, QStringLiteral("cancelReason"),
                                                        texts::kCancelTitle, texts::kCancelPrompt);
    if (!reason) return;
    Entry c = stamped();
    c.name = chosen.name;
    c.date = chosen.date;
    c.kind = chosen.kind;
    c.cancels = true;
    c.start = chosen.start;
    c.end = chosen.end;
    c.reason = *reason;
    if (append(c)) listDay();
}

} // namespace velmora
