// Steps shared by the arrival and the leaving.

#include "operation.h"

#include "cards.h"
#include "names.h"
#include "timepanel.h"

#include <QLineEdit>

namespace velmora {

bool haveUser(Form1& form) {
    if (form.名前->text().isEmpty()) AskName(form);
    const QString name = form.名前->text();
    if (name.isEmpty()) return false;
    if (!isStorableName(name)) throw Failure(kUnstorableNameMessage);
    return true;
}

void recordMissing(Form1& form, const QString& prompt, const QString& date, const QString& kind) {
    form.タイム2->setText(form.タイム->text());
    askTime(form, prompt);
    // Closed without "OK", the panel leaves the earlier text, which is then taken as it is.
    const QString time = form.タイム->text();
    AppendRecord(form.services().files, {form.名前->text(), date, time, kind});
    form.タイム->setText(form.タイム2->text());
}

QString operationTime(Form1& form, QString (*computed)(const QString& clockText)) {
    const QString keyed = form.タイム->text();
    return keyed.isEmpty() ? computed(form.services().clock.timeText()) : keyed;
}

void showResult(Form1& form, const QString& text) {
    form.mess->setText(text);
    // The wait repaints nothing: the message must be on the screen before it.
    Form1::repaintNow(form.mess);
    form.WaitSeconds(5);
    form.Timer1.setInterval(10);
}

} // namespace velmora
