#pragma once
// Wires the terminal window's handlers to the operations of the other folders.

#include "form1.h"

namespace velmora {

class TerminalOperations : public Form1::Operations {
public:
    explicit TerminalOperations(Form1& form) : form_(form) {}
    QString ReadIdm() override;
    QString Felica(const QString& idm) override;
    void ClockIn() override;
    void ClockOut() override;
    void OpenSettings() override;
    void mess_Click() override;

private:
    Form1& form_;
};

} // namespace velmora
