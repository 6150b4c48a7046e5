// The stored fuzz corpus through the fuzz targets' own entry points, in the normal build:
// every input that once broke a rule keeps it from then on.

#include "targets.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <string>

using namespace velmora;

namespace {

struct Target {
    const char* name;
    int (*entry)(const uint8_t*, size_t);
};

// Names the target in test names and messages.
void PrintTo(const Target& target, std::ostream* os) { *os << target.name; }

std::string currentInput;

void reportBrokenRule(const char* rule) { ADD_FAILURE() << currentInput << ": " << rule; }

class CorpusReplay : public testing::TestWithParam<Target> {
protected:
    void SetUp() override { fuzz::ruleBroken = reportBrokenRule; }
    void TearDown() override { fuzz::ruleBroken = previous_; }

private:
    void (*previous_)(const char*) = fuzz::ruleBroken;
};

TEST_P(CorpusReplay, EveryStoredInputKeepsTheRules) {
    const QDir dir(QStringLiteral(VELMORA_FUZZ_CORPUS "/") + QString::fromLatin1(GetParam().name));
    const QStringList inputs = dir.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(inputs.isEmpty()) << "no corpus in " << dir.path().toStdString();
    for (const QString& input : inputs) {
        QFile file(dir.filePath(input));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
        const QByteArray bytes = file.readAll();
        currentInput = file.fileName().toStdString();
        EXPECT_EQ(GetParam().entry(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                   size_t(bytes.size())),
                  0)
            << currentInput;
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, CorpusReplay,
                         testing::Values(Target{"fields", fuzz::fuzzFields},
                                         Target{"cp932", fuzz::fuzzCp932},
                                         Target{"records", fuzz::fuzzRecords},
                                         Target{"registry", fuzz::fuzzRegistry}),
                         [](const testing::TestParamInfo<Target>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
