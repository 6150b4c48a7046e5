// The crash test's writer: appends records with the program's own AppendRecord into the
// folder given, numbered from the number given, and reports each number on stdout only
// once its append has returned. It runs until it is killed.

#include "crashrecord.h"

#include <QDir>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: velmora_crash_writer FOLDER FIRST-NUMBER\n");
        return 2;
    }
    const velmora::DataFolder files(QDir(QString::fromLocal8Bit(argv[1])));
    for (long long n = std::atoll(argv[2]);; ++n) {
        try {
            velmora::AppendRecord(files, velmora::test::crashRecord(n));
        } catch (const velmora::Failure& failure) {
            std::fprintf(stderr, "append %lld: %s\n", n, failure.what());
            return 1;
        }
        // One short write per report: a pipe never splits it, so a kill loses whole reports.
        std::printf("%lld\n", n);
        std::fflush(stdout);
    }
}
