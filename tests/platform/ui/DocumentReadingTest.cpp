#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Error.h"
#include "platform/ui/Document.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/PresentationHook.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// Records what it knows while it reads, and takes a folder type's plain file as a copy.
class PackageReader : public pf::Document {
    PF_CLASS(PackageReader)
public:
    bool readFromFileWrapper(const pf::FileWrapper& wrapper, const QString& type, pf::Error* error) override
    {
        urlWhileReading = fileURL();
        typeWhileReading = type;
        fileTypeWhileReading = fileType();
        sawPlainFile = wrapper.isRegularFile();
        if (wrapper.isRegularFile() && wrapper.regularFileContents() == "cancel")
            return pf::fail(error, pf::Error(pf::kPFFoundationErrorDomain, pf::kErrorCancelled, {}));
        if (wrapper.isRegularFile()) {
            // A plain file of the package type: read as a copy under another type.
            setFileURL({});
            setFileType(QStringLiteral("Pack"));
        }
        return true;
    }
    QUrl urlWhileReading;
    QString typeWhileReading;
    QString fileTypeWhileReading;
    bool sawPlainFile = false;
};

} // namespace

PF_DEFINE_CLASS(PackageReader, pf::Document) {}

namespace {

using quillory::test::waitUntil;

class DocumentReadingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        controller = std::make_shared<pf::DocumentController>();
        controller->registerDocumentType({QStringLiteral("Pack"), {QStringLiteral("qpack")}, pf::DocumentTypeRole::Editor,
                                          QStringLiteral("PackageReader"), true});
        pf::PresentationHook::set([this](QWidget* dialog) {
            ++alerts;
            dialog->close();
        });
    }
    void TearDown() override { pf::PresentationHook::set(nullptr); }

    pf::Ref<PackageReader> open(const QString& path, pf::Error* error)
    {
        bool done = false;
        pf::Ref<pf::Document> opened;
        controller->openDocumentWithContentsOfURL(QUrl::fromLocalFile(path), false,
                                                  [&](const pf::Ref<pf::Document>& document, bool, const pf::Error& failure) {
                                                      opened = document;
                                                      *error = failure;
                                                      done = true;
                                                  });
        EXPECT_TRUE(waitUntil([&] { return done; }));
        return std::dynamic_pointer_cast<PackageReader>(opened);
    }

    QTemporaryDir folder;
    pf::Ref<pf::DocumentController> controller;
    int alerts = 0;
};

TEST_F(DocumentReadingTest, TheReaderKnowsItsURLAndTypeAndDecidesThem)
{
    const QString package = QDir(folder.path()).filePath(QStringLiteral("real.qpack"));
    ASSERT_TRUE(QDir().mkpath(package));
    pf::Error error;
    pf::Ref<PackageReader> document = open(package, &error);
    ASSERT_TRUE(document) << qPrintable(error.description());
    EXPECT_EQ(document->urlWhileReading, QUrl::fromLocalFile(package));
    EXPECT_EQ(document->fileTypeWhileReading, QStringLiteral("Pack"));
    EXPECT_EQ(document->fileURL(), QUrl::fromLocalFile(package));

    const QString flat = QDir(folder.path()).filePath(QStringLiteral("flat.qpack"));
    QFile file(flat);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("plain");
    file.close();
    pf::Ref<PackageReader> copy = open(flat, &error);
    ASSERT_TRUE(copy) << "a plain file of a package type reaches the reader: " << qPrintable(error.description());
    EXPECT_TRUE(copy->sawPlainFile);
    EXPECT_TRUE(copy->fileURL().isEmpty()) << "what the reader decided stays";
}

TEST_F(DocumentReadingTest, ACancelIsNotPresented)
{
    EXPECT_FALSE(controller->presentError(pf::Error(pf::kPFFoundationErrorDomain, pf::kErrorCancelled, {})));
    EXPECT_EQ(alerts, 0);
    controller->presentError(pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorFileReadCorrupt, QStringLiteral("Broken")));
    EXPECT_EQ(alerts, 1);
}

} // namespace
