#include "programs/velmora/commandline.h"

#include "console/console.h"
#include "logging/logging.h"
#include "startup/datafolder.h"
#include "startup/qtjapanese.h"
#include "terminal/tryfolder.h"
#include "texts/texts.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <cstdlib>

namespace velmora {

namespace {

// The console it was started from (only now attached: a console's Ctrl+C would otherwise end
// the time clock too), or a message box when there is none: a start from Explorer.
[[noreturn]] void endWith(const QString& text, int status) {
    const Console console = openConsole();
    if (!console.reached)
        showInBox(QCoreApplication::applicationName(), text);
    else
        (status == 0 ? console.out : console.err)(text);
    std::exit(status);
}

} // namespace

StartOptions readCommandLine(int argc, char* argv[]) {
    // Without arguments the window's application object is the first and only one.
    if (argc <= 1) return {};
    QCoreApplication app(argc, argv);
    loadQtJapanese();
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "出退勤タイムレコーダー。FeliCaカードの IDm から利用者を探し、出勤・退勤を作業フォルダの "
        "Velmora.dat に記録します。作業フォルダは起動したときのフォルダです。"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("この説明を表示して終了します。"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("版を表示して終了します。"));
    const QCommandLineOption menu(
        QStringLiteral("menu"),
        QStringLiteral("作業フォルダを ~/Velmora にします（無ければ作ります）。"
                       "デスクトップのメニューからの起動はこれを使います。"));
    const QCommandLineOption tryIn(
        QStringLiteral("try"),
        QStringLiteral("カードリーダーなしで試します: フォルダー <folder> を作業フォルダにし、"
                       "例のカード 2 枚を登録し、<folder>/card.txt をリーダーの代わりにします。"),
        QStringLiteral("folder"));
    parser.addOptions({help, version, menu, tryIn});
    if (!parser.parse(QCoreApplication::arguments()) || !parser.positionalArguments().isEmpty() ||
        (parser.isSet(menu) && parser.isSet(tryIn))) {
        const QString given = QCoreApplication::arguments().mid(1).join(u' ');
        endWith(QStringLiteral("velmora: ") + texts::kBadArgument.arg(given) + u'\n', 2);
    }
    if (parser.isSet(help)) endWith(parser.helpText(), 0);
    if (parser.isSet(version))
        endWith(QCoreApplication::applicationName() + u' ' +
                    QCoreApplication::applicationVersion() + u'\n',
                0);
    return {parser.isSet(menu), parser.value(tryIn)};
}

bool enterMenuFolder(Prompts& prompts) {
    const QString folder = installationDataFolder();
    if (QDir().mkpath(folder) && QDir::setCurrent(folder)) return true;
    const QString message = texts::kCannotUseFolder.arg(QDir::toNativeSeparators(folder));
    qCCritical(lcFiles).noquote() << message;
    prompts.messageBox(message);
    return false;
}

bool enterTryFolder(const QString& folder, Prompts& prompts) {
    const QString path = QDir(folder).absolutePath();
    std::optional<QString> fault = prepareTryFolder(path);
    if (!fault && !QDir::setCurrent(path))
        fault = texts::kCannotUseFolder.arg(QDir::toNativeSeparators(path));
    if (!fault) {
        // The card library reads the card's file from the environment at each check.
        qputenv("VELMORA_CARD_FILE",
                QDir::toNativeSeparators(QDir(path).filePath(kTryCardFile)).toLocal8Bit());
        return true;
    }
    qCCritical(lcFiles).noquote() << *fault;
    prompts.messageBox(*fault);
    return false;
}

} // namespace velmora
