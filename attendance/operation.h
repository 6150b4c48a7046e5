#pragma once
// Steps shared by the arrival and the leaving.

#include "attendance.h"
#include "form1.h"

namespace velmora {

// Makes sure 名前 holds a user, asking when it is empty; false when nobody answered.
// A name the record file cannot hold is refused before anything is asked or written.
bool haveUser(Form1& form);

// Asks on the time panel for the time of a record that was never made, and appends it.
// A time already keyed for the present operation is kept aside meanwhile and restored.
void recordMissing(Form1& form, const QString& prompt, const QString& date, const QString& kind);

// The time of the present operation: the keyed one as it is, else the computed one.
QString operationTime(Form1& form, QString (*computed)(const QString& clockText));

// Shows the result for five seconds, then lets the follow-up return the window to idle.
void showResult(Form1& form, const QString& text);

} // namespace velmora
