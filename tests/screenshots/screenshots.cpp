// Writes the README's pictures of the windows: velmora_screenshots <folder>.
// Runs offscreen with the test doubles, so the clock shows a chosen time.

#include "doubles.h"
#include "form1.h"
#include "registrationwindow.h"
#include "timepanel.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <cstdio>

using namespace velmora;
using namespace velmora::test;

namespace {

bool save(QWidget& window, const QString& folder, const QString& name) {
    window.show();
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(name);
    const bool ok = window.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QDir().mkpath(folder);
    bool ok = true;

    { // a shared PC in the staff room, idle at 9:05:03
        TestWorld world;
        world.write(kUserDataFile, "\r\n");
        Form1 form(world.services());
        form.Form_Load();
        form.ResetToIdle();
        world.clock.set(QStringLiteral("9:05:03"));
        form.Timer2_Timer();
        ok &= save(form, folder, QStringLiteral("terminal-shared.png"));
    }
    { // a teacher's own PC, just started
        TestWorld world;
        world.write(kUserDataFile, sjis(QStringLiteral("職員A")) + "\r\n");
        Form1 form(world.services());
        form.Form_Load();
        world.clock.set(QStringLiteral("17:07:42"));
        form.Timer2_Timer();
        ok &= save(form, folder, QStringLiteral("terminal-personal.png"));
    }
    { // a record just written
        TestWorld world;
        world.write(kUserDataFile, "\r\n");
        Form1 form(world.services());
        form.Form_Load();
        world.clock.set(QStringLiteral("8:07:10"));
        form.Timer2_Timer();
        form.Timer2.setInterval(0);
        Form1::setFontSize(form.mess, 28);
        form.mess->setText(QStringLiteral("07/01 8:05 出"));
        form.動作状態->setText(QStringLiteral("出勤ボタンが押された。"));
        form.名前->setText(QStringLiteral("職員A"));
        ok &= save(form, folder, QStringLiteral("terminal-record.png"));
    }
    { // the time panel, opened from the clock
        TestWorld world;
        world.write(kUserDataFile, "\r\n");
        Form1 form(world.services());
        form.Form_Load();
        時間の入力パネル panel(form);
        panel.mes->setText(QStringLiteral("時間入力"));
        panel.Label1->setText(QStringLiteral("9:05"));
        ok &= save(panel, folder, QStringLiteral("time-panel.png"));
    }
    { // registering a card
        TestWorld world;
        world.write(kUserDataFile, "\r\n");
        Form1 form(world.services());
        form.Form_Load();
        登録フォーム window(form);
        window.名前->setText(QStringLiteral("職員A"));
        window.ID->setText(QStringLiteral("0123456789ABCDEF"));
        ok &= save(window, folder, QStringLiteral("registration.png"));
    }
    return ok ? 0 : 1;
}
