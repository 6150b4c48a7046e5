#include "programs/velmora/commandline.h"

#include "logging/logging.h"
#include "startup/qtjapanese.h"
#include "texts/texts.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>

namespace velmora {

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
    parser.addOptions({help, version, menu});
    if (!parser.parse(QCoreApplication::arguments()) || !parser.positionalArguments().isEmpty()) {
        const QString given = QCoreApplication::arguments().mid(1).join(u' ');
        std::fprintf(stderr, "velmora: %s\n", qPrintable(texts::kBadArgument.arg(given)));
        std::exit(2);
    }
    if (parser.isSet(help)) parser.showHelp(0);
    if (parser.isSet(version)) parser.showVersion();
    return {parser.isSet(menu)};
}

bool enterMenuFolder(Prompts& prompts) {
    const QString folder = QDir::home().filePath(QStringLiteral("Velmora"));
    if (QDir().mkpath(folder) && QDir::setCurrent(folder)) return true;
    const QString message = texts::kCannotUseFolder.arg(QDir::toNativeSeparators(folder));
    qCCritical(lcFiles).noquote() << message;
    prompts.messageBox(message);
    return false;
}

} // namespace velmora
