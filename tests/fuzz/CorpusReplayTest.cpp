// Feeds every file of a fuzz target's corpus through the target's entry point: the seeds and
// each input that once made its reader crash, hang or leak. A fault shows as a crash, an
// abort from the target's own checks, a time-out or, in the sanitizer build, a report.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
// Written by the build beside each replay program.
extern const char* const quilloryFuzzCorpusDir;

TEST(CorpusReplay, EveryInputOfTheCorpusIsHandled)
{
    const QDir corpus(QString::fromUtf8(quilloryFuzzCorpusDir));
    const QFileInfoList inputs = corpus.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    // Without its corpus the replay would pass by testing nothing.
    ASSERT_FALSE(inputs.isEmpty()) << "no inputs in " << qPrintable(corpus.path());
    for (const QFileInfo& input : inputs) {
        if (input.fileName() == QStringLiteral("README.md"))
            continue;
        SCOPED_TRACE(qPrintable(input.fileName()));
        QFile file(input.filePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())), 0);
    }
}
