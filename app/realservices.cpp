#include "realservices.h"

#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QThread>
#include <QTime>
#include <cstdio>
#include <cstdlib>

namespace velmora {

namespace {
const QString kTitle = QStringLiteral("Velmora");
}

QString SystemClock::timeText() const { return QTime::currentTime().toString(u"H:mm:ss"); }

QString SystemClock::dateText() const { return QDate::currentDate().toString(u"yyyy/MM/dd"); }

void SystemClock::sleep(std::chrono::milliseconds duration) {
    QThread::msleep(static_cast<unsigned long>(duration.count()));
}

QString DialogPrompts::inputBox(const QString& prompt) {
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("inputBox"));
    dialog.setWindowTitle(kTitle);
    dialog.setLabelText(QString(prompt).replace(u'\r', u'\n'));
    dialog.setInputMode(QInputDialog::TextInput);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.textValue();
}

void DialogPrompts::messageBox(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, kTitle, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("messageBox"));
    box.exec();
}

void DialogPrompts::showModal(QDialog& window) { window.exec(); }

void SystemBeeper::beep() { QApplication::beep(); }

void ImmediateEnd::endProgram(int exitCode) {
    // Nothing is held open or buffered: every write is on the disk before it returns.
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

} // namespace velmora
