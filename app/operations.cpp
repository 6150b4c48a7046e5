#include "operations.h"

#include "attendance.h"
#include "cards.h"
#include "timepanel.h"

namespace velmora {

QString TerminalOperations::ReadIdm() { return readIdm(form_.services().cardLibrary); }

QString TerminalOperations::Felica(const QString& idm) { return velmora::Felica(form_, idm); }

void TerminalOperations::ClockIn() { velmora::ClockIn(form_); }

void TerminalOperations::ClockOut() { velmora::ClockOut(form_); }

void TerminalOperations::OpenSettings() { velmora::OpenSettings(form_); }

void TerminalOperations::mess_Click() { velmora::mess_Click(form_); }

} // namespace velmora
