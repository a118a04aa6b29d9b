// The files the program writes for the user: their mode follows the umask as any program's
// output does, exported PDFs carry a title, and a saved document's exports are named after it.
#include "DocumentTestSupport.h"

#include "app/VNQLExportOperation.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "platform/foundation/AtomicFile.h"

#include <QDirIterator>
#include <QFileInfo>

#include <poppler-qt6.h>

#include <sys/stat.h>

namespace {

using namespace quillory::test;
using pf::Ref;

unsigned modeOf(const QString& path)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return 0xffff;
    return unsigned(status.st_mode) & 07777;
}

// Sets the umask for one test and puts the old one back.
class UmaskScope {
public:
    explicit UmaskScope(mode_t mask) : m_old(::umask(mask)) {}
    ~UmaskScope() { ::umask(m_old); }

private:
    mode_t m_old;
};

struct ModeCase {
    mode_t umask;
    unsigned file;
    unsigned folder;
};

void PrintTo(const ModeCase& c, std::ostream* os)
{
    *os << "umask " << std::oct << c.umask << std::dec;
}

class UserFileModeTest : public ::testing::TestWithParam<ModeCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        documentController();
    }
    void TearDown() override
    {
        for (const auto& document : QList<pf::Ref<pf::Document>>(documentController().documents()))
            document->close();
    }
    QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }

    QTemporaryDir folder;
};

TEST_P(UserFileModeTest, ExportsTakeTheUmasksMode)
{
    const ModeCase c = GetParam();
    UmaskScope mask(c.umask);
    Ref<PWDrawing> drawing = PWDrawing::defaultDrawing();
    drawing->setDrawingSize(QSizeF(40, 30));
    for (quint64 format : {VNQLExportOperation::kPNGFormat, VNQLExportOperation::kPDFFormat}) {
        for (bool overwrite : {false, true}) {
            auto operation = std::make_shared<VNQLExportOperation>();
            operation->setDrawing(drawing);
            operation->setFolderURL(QUrl::fromLocalFile(folder.path()));
            operation->setShowInFinder(false);
            operation->setFormat(format);
            operation->setOverwriteExisting(overwrite);
            operation->setFileNameRoot(QStringLiteral("picture"));
            pf::Error error;
            ASSERT_TRUE(operation->writeToFiles(&error)) << qPrintable(error.description());
            ASSERT_EQ(operation->filesWrittenURLs().size(), 1);
            EXPECT_EQ(modeOf(operation->filesWrittenURLs().first().toLocalFile()), c.file)
                << "format " << format << " overwrite " << overwrite;
        }
    }
}

TEST_P(UserFileModeTest, SavedPackagesAndAtomicWritesTakeTheUmasksMode)
{
    const ModeCase c = GetParam();
    UmaskScope mask(c.umask);
    Ref<RVCartavelDocument> document = newDocument();
    ASSERT_TRUE(document);
    pf::Error error;
    const QString package = path(QStringLiteral("drawing.qlry"));
    ASSERT_TRUE(saveDocument(*document, package, &error)) << qPrintable(error.description());
    EXPECT_EQ(modeOf(package), c.folder);
    int files = 0;
    for (QDirIterator it(package, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString entry = it.next();
        EXPECT_EQ(modeOf(entry), it.fileInfo().isDir() ? c.folder : c.file) << qPrintable(entry);
        files += it.fileInfo().isFile();
    }
    EXPECT_GT(files, 2);

    const QString flat = path(QStringLiteral("flat.txt"));
    ASSERT_TRUE(pf::writeDataAtomically("one", flat, &error)) << qPrintable(error.description());
    EXPECT_EQ(modeOf(flat), c.file);
    // Replacing a file keeps the mode the user gave it.
    ASSERT_TRUE(QFile::setPermissions(flat, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    ASSERT_TRUE(pf::writeDataAtomically("two", flat, &error));
    EXPECT_EQ(modeOf(flat), 0640u);
}

INSTANTIATE_TEST_SUITE_P(Umasks, UserFileModeTest,
                         ::testing::Values(ModeCase{022, 0644, 0755}, ModeCase{002, 0664, 0775}, ModeCase{077, 0600, 0700}));

TEST(ExportedPDFTest, IsTitledWithTheNameItIsExportedUnder)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    Ref<PWDrawing> drawing = PWDrawing::defaultDrawing();
    drawing->setDrawingSize(QSizeF(40, 30));
    auto operation = std::make_shared<VNQLExportOperation>();
    operation->setDrawing(drawing);
    operation->setFolderURL(QUrl::fromLocalFile(folder.path()));
    operation->setShowInFinder(false);
    operation->setFormat(VNQLExportOperation::kPDFFormat);
    operation->setFileNameRoot(QStringLiteral("Harbour map"));
    ASSERT_TRUE(operation->writeToFiles());
    ASSERT_EQ(operation->filesWrittenURLs().size(), 1);
    std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(operation->filesWrittenURLs().first().toLocalFile());
    ASSERT_TRUE(pdf);
    EXPECT_EQ(pdf->info(QStringLiteral("Title")), QStringLiteral("Harbour map"));
}

TEST(ExportNameTest, ASavedDocumentsExportsAreNamedAfterIt)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    Ref<RVCartavelDocument> document = newDocument();
    ASSERT_TRUE(document);
    // Unsaved: the stock root.
    EXPECT_EQ(document->exportOperationForExport()->fileNameRoot(), VNQLExportOperation::kDefaultFileNameRoot);
    ASSERT_TRUE(saveDocument(*document, QDir(folder.path()).filePath(QStringLiteral("test1.qlry"))));
    EXPECT_EQ(document->exportOperationForExport()->fileNameRoot(), QStringLiteral("test1"));
    // A root the user chose stays.
    document->exportOperationForExport()->setFileNameRoot(QStringLiteral("harbour_"));
    EXPECT_EQ(document->exportOperationForExport()->fileNameRoot(), QStringLiteral("harbour_"));
    document->close();
}

} // namespace
