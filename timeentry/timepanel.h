#pragma once
// The time input panel: a modal window on which a time of day is set with four step
// buttons and confirmed with "OK", which copies it into the terminal window's time box.

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace velmora {

class Form1;

// The step rules on the panel's display text (hour ":" two-digit minute). The hour and the
// minute never carry into each other.
QString hourUp(const QString& display);
QString hourDown(const QString& display);
QString minuteUp(const QString& display);
QString minuteDown(const QString& display);

class 時間の入力パネル : public QDialog {
public:
    // Creating the panel stops the terminal's clock tick.
    explicit 時間の入力パネル(Form1& form);

    QLabel* mes;
    QLabel* Label1;
    QPushButton* Command1; // hour up
    QPushButton* Command2; // hour down
    QPushButton* Command3; // minute up
    QPushButton* Command4; // minute down
    QPushButton* Command5; // OK

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();

private:
    Form1& form_;
};

// Creates the panel, sets its prompt (and its starting time, when given), shows it modally
// and returns when it has closed: the terminal's タイム then holds the confirmed time, or
// its earlier text when the panel was closed without "OK".
void askTime(Form1& form, const QString& prompt, const QString& start = {});

// A click on the big clock: choose a time for the next arrival or leaving.
void mess_Click(Form1& form);

} // namespace velmora
