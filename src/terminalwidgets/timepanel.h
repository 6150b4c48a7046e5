#pragma once
// The time input panel (時間の入力パネル): a modal window on which a time of day is set with
// four step buttons and confirmed with "OK". OK is the only way out: a panel closed
// otherwise would leave a record without a time, which the office cannot use.

#include <QDialog>
#include <QString>

class QLabel;

namespace velmora {

class TimePanel : public QDialog {
    Q_OBJECT
public:
    // Shows `question`; the display starts at `start` when given, else at "00:00".
    TimePanel(const QString& question, const QString& start);
    // The display's text: the confirmed time once the panel has closed.
    QString time() const;

    void reject() override {} // Escape
protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* display_; // Label1
};

} // namespace velmora
