#include "DocumentTestSupport.h"

#include "app/CVLMouseLocationController.h"
#include "app/CartavelDocumentController.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Alert.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ToolbarItem.h"

#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/PresentationHook.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

using namespace quillory::test;

TEST(CartavelDocumentController, TemplatesStayOutOfTheRecentDocuments)
{
    // The shared controller of the tests comes first, so this one never stands in for it.
    documentController();
    CartavelDocumentController controller;
    auto document = newDocument();
    QTemporaryDir folder;
    const QString drawing = QDir(folder.path()).filePath(QStringLiteral("Plan.qlry"));
    ASSERT_TRUE(saveDocument(*document, drawing));
    const QUrl templateURL = RVCartavelDocument::userTemplateURLForName(QStringLiteral("Plan"));
    ASSERT_TRUE(document->writeTemplateToURL(templateURL));

    controller.noteNewRecentDocument(document.get());
    EXPECT_TRUE(controller.recentDocumentURLs().contains(QUrl::fromLocalFile(drawing)));
    const int before = int(controller.recentDocumentURLs().size());
    document->setFileURL(templateURL);
    controller.noteNewRecentDocument(document.get());
    controller.noteNewRecentDocument(nullptr);
    EXPECT_EQ(controller.recentDocumentURLs().size(), before);
    EXPECT_FALSE(controller.recentDocumentURLs().contains(templateURL));
    document->close();
    QFile::remove(templateURL.toLocalFile());
}

TEST(CartavelDocumentController, AlertCarriesTheCaughtException)
{
    documentController();
    CartavelDocumentController controller;
    const pf::Error plain(RVCartavelDocument::kErrorDomain, 102, {{pf::NSLocalizedDescriptionKey, QStringLiteral("No drawing")}});
    pf::Ref<pf::Alert> alert = controller.alertForError(plain);
    EXPECT_EQ(alert->messageText(), QStringLiteral("No drawing"));
    EXPECT_EQ(alert->informativeText(), QString());
    EXPECT_EQ(alert->alertStyle(), pf::AlertStyle::Critical);
    ASSERT_EQ(alert->buttons().size(), 1);
    EXPECT_EQ(alert->buttons().first()->text(), QStringLiteral("OK"));

    const pf::Error caught(RVCartavelDocument::kErrorDomain, 101,
                           {{pf::NSLocalizedDescriptionKey, QStringLiteral("Could not read")},
                            {RVCartavelDocument::kOriginalExceptionKey, QStringLiteral("NSRangeException: index 4 beyond 2")}});
    EXPECT_EQ(controller.alertForError(caught)->informativeText(),
              QStringLiteral("Reason: NSRangeException: index 4 beyond 2 (101)"));
}

// The read-out item as the window builds it: fields in the last subview of the item's view.
pf::Ref<pf::ToolbarItem> readOutItem(const QString& identifier, bool withFields)
{
    auto item = pf::ToolbarItem::make(identifier);
    auto* view = new QWidget;
    new QHBoxLayout(view);
    if (withFields) {
        auto* fields = new QWidget(view);
        for (int tag : {100, 101, 102})
            (new pf::TextField(fields))->setTag(tag);
    }
    item->setView(view);
    return item;
}

TEST(CartavelDocumentController, FileOpenHandsCollectionsToTheApplication)
{
    struct Recorder : pf::ApplicationDelegate {
        QStringList opened;
        bool applicationOpenFile(pf::Application&, const QString& path) override
        {
            opened.append(QFileInfo(path).fileName());
            return true;
        }
    };
    pf::Application* application = pf::Application::shared();
    ASSERT_TRUE(application);
    pf::Ref<pf::ApplicationDelegate> before = application->delegate()
                                                   ? application->delegate()->ref<pf::ApplicationDelegate>()
                                                   : nullptr;
    auto recorder = std::make_shared<Recorder>();
    application->setDelegate(recorder);
    QTemporaryDir folder;
    QDir(folder.path()).mkpath("Maps.symlibrary");
    QFile zip(folder.filePath("Shared.zip"));
    ASSERT_TRUE(zip.open(QIODevice::WriteOnly));
    zip.write("PK");
    zip.close();
    CartavelDocumentController controller;
    for (const char* name : {"Shared.zip", "Maps.symlibrary"}) {
        const QString path = folder.filePath(QString::fromLatin1(name));
        pf::PresentationHook::set([path](QWidget* widget) {
            auto* dialog = qobject_cast<QFileDialog*>(widget);
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
            static_cast<QDialog*>(dialog)->accept();
            if (dialog->isVisible())
                dialog->reject();
        });
        controller.openDocument({});
        pf::PresentationHook::clear();
    }
    application->setDelegate(before);
    EXPECT_EQ(recorder->opened, (QStringList{"Shared.zip", "Maps.symlibrary"}));
}

TEST(CVLMouseLocationController, UpdatesOnlyWhileItsItemIsInstalled)
{
    PWDrawingView view;
    auto mouser = std::make_shared<CVLMouseLocationController>();
    mouser->setView(&view);
    mouser->awakeFromNib();
    auto move = [&](double x) {
        pf::NotificationCenter::defaultCenter().post(kPWDrawingMouseMovedLocation, &view,
                                                     {{kPWDrawingMouseLocationInDrawingUnits, QPointF(x, 1)},
                                                      {kPWDrawingMouseLocationAbbreviatedUnits, QStringLiteral("in")}});
    };
    // Other items, and an item whose view has no subviews, find nothing.
    mouser->toolbarItemWasInstalled(readOutItem(QStringLiteral("other"), true).get());
    mouser->toolbarItemWasInstalled(readOutItem(CVLMouseLocationController::kToolbarItemIdentifier, false).get());
    EXPECT_FALSE(mouser->xLocationField());
    move(1);

    auto item = readOutItem(CVLMouseLocationController::kToolbarItemIdentifier, true);
    mouser->toolbarItemWasInstalled(item.get());
    ASSERT_TRUE(mouser->xLocationField() && mouser->yLocationField() && mouser->unitsField());
    EXPECT_EQ(mouser->xLocationField()->tag(), 100);
    EXPECT_EQ(mouser->unitsField()->tag(), 102);
    move(7);
    EXPECT_DOUBLE_EQ(mouser->xLocationField()->doubleValue(), 7);
    EXPECT_EQ(mouser->unitsField()->stringValue(), QStringLiteral("in"));

    pf::TextField* x = mouser->xLocationField();
    mouser->toolbarItemWasRemoved(readOutItem(QStringLiteral("other"), false).get());
    EXPECT_TRUE(mouser->xLocationField());
    mouser->toolbarItemWasRemoved(item.get());
    EXPECT_FALSE(mouser->xLocationField());
    move(9);
    EXPECT_DOUBLE_EQ(x->doubleValue(), 7);

    // Once the controller is gone its observations go with it.
    mouser->toolbarItemWasInstalled(item.get());
    mouser.reset();
    move(11);
    EXPECT_DOUBLE_EQ(x->doubleValue(), 7);
}

} // namespace
