#pragma once
// The terminal window: the clock, the status line, the name of the current user and the
// arrival and leaving buttons. Its controls are the program's working state; the
// operations of the other folders read and set them by name.

#include "seams.h"
#include "timer.h"

#include <QLabel>
#include <QWidget>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace velmora {

class Form1 : public QWidget {
    Q_OBJECT
public:
    // The handlers whose work lives in the other folders.
    struct Operations {
        virtual ~Operations() = default;
        virtual QString ReadIdm() = 0;                  // the card on the reader, "" for none
        virtual QString Felica(const QString& idm) = 0; // its registered name, or ""
        virtual void ClockIn() = 0;
        virtual void ClockOut() = 0;
        virtual void OpenSettings() = 0;
        virtual void mess_Click() = 0;
    };

    Form1(Services services, QWidget* parent = nullptr);
    void setOperations(Operations* operations) { operations_ = operations; }

    Services& services() { return services_; }

    // Start-up: the owner's name, the PC's form, the missing data files. Starts the clock
    // tick when done. Returns false when the program ended instead.
    bool Form_Load();
    void ResetToIdle();
    void WaitSeconds(int n);

    // Handlers, public so that tests and the window's own signals reach the same code.
    void Timer2_Timer();
    void Timer1_Timer();
    void Command1_Click();
    void 中止_Click();
    void 出_Click();
    void 退_Click();
    void 設定_Click();
    void clickMess();

    // Runs one handler: none runs inside another, and a fault ends the program with a
    // message box naming it.
    void handle(const std::function<void()>& work);
    // The fault half of handle(), for the handlers of windows shown from a handler.
    void guarded(const std::function<void()>& work);
    bool busy() const { return busy_; }

    QPushButton* Command2;
    QLineEdit* タイム2;
    QPushButton* 中止;
    QPushButton* 設定;
    Timer Timer2;
    QPushButton* Command1;
    QCheckBox* Check1;
    Timer Timer1;
    QPushButton* 退;
    QPushButton* 出;
    QLineEdit* タイム;
    QLabel* Sec;
    QLabel* 動作状態;
    QLabel* mess;
    QLabel* Label3;
    QLabel* Label2;
    QLabel* Label_shutdown;
    QLabel* 名前;

    // Sets a label's font size in points.
    static void setFontSize(QWidget* widget, double points);
    static double fontSize(const QWidget* widget);
    // Shows a label's new caption at once; the waits repaint nothing.
    static void repaintNow(QWidget* widget);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void buildControls();
    QString firstUsePrompt();
    void cardDispatch(const QString& currentTime);

    Services services_;
    Operations* operations_ = nullptr;
    bool busy_ = false;
    QString restingIdm_; // the card of the last card-started operation, while it stays put
    QPixmap background_;
};

// The big clock label: a click on it asks for a time to record.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace velmora
