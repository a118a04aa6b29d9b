#include "DocumentTestSupport.h"

#include "app/VNQLExportController.h"
#include "app/VNQLExportControllerDelegate.h"
#include "app/VNQLExportOperation.h"
#include "app/VNQLExportOperationController.h"
#include "drawing/PWDrawing+SlicesLayer.h"
#include "drawing/PWXSlice.h"
#include "drawing/VNQLSlicesLayer.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "platform/ui/PresentationHook.h"
#include "platform/ui/Sheet.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>
#include <QTableWidget>
#include <QStandardItemModel>

namespace {

using namespace quillory::test;
using pf::Ref;

class CountingDelegate : public VNQLExportControllerDelegate {
public:
    bool exportControllerWillExportWithOperation(VNQLExportController&, const Ref<VNQLExportOperation>&) override
    {
        ++asked;
        return consent;
    }
    void exportControllerDidExportWithOperation(VNQLExportController&, const Ref<VNQLExportOperation>&) override { ++told; }
    bool consent = true;
    int asked = 0;
    int told = 0;
};

class ExportControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        drawing = PWDrawing::defaultDrawing();
        drawing->setDrawingSize(QSizeF(100, 50));
        layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(drawing->firstLayerOfClass(PWObjectDrawingLayer::staticClass(), true));
        ASSERT_TRUE(layer);
        layer->setLayerName(QStringLiteral("Ink"));
        auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(10, 10, 30, 20));
        shape->setName(QStringLiteral("Box"));
        layer->addObject(shape);
        drawing->setActiveLayer(layer);
        layer->addObjectToSelection(shape);
        auto slices = std::make_shared<VNQLSlicesLayer>();
        drawing->addLayer(slices);
        slices->setVisible(false);
        Ref<PWXSlice> slice = slices->addNewSlice();
        slice->setBounds(QRectF(0, 0, 40, 25));
        slice->setTitle(QStringLiteral("Corner"));

        operation = std::make_shared<VNQLExportOperation>();
        operation->setDrawing(drawing);
        operation->setFolderURL(QUrl::fromLocalFile(folder.path()));
        operation->setShowInFinder(false);
        controller->setDelegate(&delegate);
        controller->setExportOperation(operation);
        controller->window(); // loads the controls and pushes the values into them
    }
    Ref<VNQLExportOperation> edited() const { return controller->exportOperation(); }
    QStringList files() const { return QDir(folder.path()).entryList(QDir::Files); }

    QTemporaryDir folder;
    Ref<PWDrawing> drawing;
    Ref<PWObjectDrawingLayer> layer;
    Ref<VNQLExportOperation> operation;
    Ref<VNQLExportController> controller = VNQLExportController::exportController();
    CountingDelegate delegate;
};

TEST_F(ExportControllerTest, TheSheetEditsACopy)
{
    EXPECT_NE(edited(), operation);
    controller->formatAction(); // current item is PNG
    controller->exportSourceTypeAction(VNQLExportOperation::kLayersSource);
    controller->sheetDidEnd(0);
    EXPECT_EQ(operation->sourceType(), VNQLExportOperation::kDrawingSource);
    EXPECT_EQ(edited()->sourceType(), VNQLExportOperation::kLayersSource);
    EXPECT_EQ(delegate.asked, 0);
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(ExportControllerTest, TheFormatChoosesTheControls)
{
    struct Case {
        const char* label;
        quint64 format;
        bool dpi, quality, transparency;
    };
    for (const Case& c : {Case{"TIFF", VNQLExportOperation::kTIFFFormat, true, false, true},
                          Case{"BMP", VNQLExportOperation::kBMPFormat, true, false, false},
                          Case{"GIF", VNQLExportOperation::kGIFFormat, true, false, false},
                          Case{"JPEG", VNQLExportOperation::kJPEGFormat, true, true, false},
                          Case{"PNG", VNQLExportOperation::kPNGFormat, true, false, true},
                          Case{"PDF", VNQLExportOperation::kPDFFormat, false, false, false}}) {
        SCOPED_TRACE(c.label);
        controller->formatPopUp()->setCurrentIndex(controller->formatPopUp()->findData(QVariant::fromValue(c.format)));
        controller->formatAction();
        EXPECT_EQ(edited()->format(), c.format);
        EXPECT_EQ(controller->isBitmapFormat(), c.dpi);
        EXPECT_EQ(controller->dpiField()->isEnabled(), c.dpi);
        EXPECT_EQ(controller->scaleField()->isEnabled(), c.dpi);
        EXPECT_EQ(controller->colorspacePopUp()->isEnabled(), c.dpi);
        EXPECT_EQ(controller->qualityField()->isEnabled(), c.quality);
        EXPECT_EQ(controller->transparentCheckbox()->isEnabled(), c.transparency);
    }
}

TEST_F(ExportControllerTest, SourcesAndNamingChooseTheControls)
{
    struct Case {
        const char* label;
        int type;
        QString title;
        QStringList names;
        bool layersPopUp;
        bool namingEnabled;
    };
    for (const Case& c : {Case{"drawing", 0, QStringLiteral("Layers"), {}, false, false},
                          Case{"layers", 2, QStringLiteral("Layers"), {}, false, true},
                          Case{"slices", 3, QStringLiteral("Slices"), {QStringLiteral("Corner 1")}, false, true},
                          Case{"selection", 4, QStringLiteral("Objects"), {QStringLiteral("Box")}, true, true}}) {
        SCOPED_TRACE(c.label);
        controller->exportSourceTypeAction(c.type);
        EXPECT_TRUE(controller->sourceButtons()->button(c.type)->isChecked());
        EXPECT_EQ(controller->sourceButtons()->checkedId(), c.type);
        EXPECT_EQ(controller->sourcesTable()->horizontalHeaderItem(1)->text(), c.title);
        EXPECT_EQ(controller->layersPopUp()->isHidden(), !c.layersPopUp);
        EXPECT_EQ(controller->namingButtons()->button(VNQLExportOperation::kRootAndName)->isEnabled(), c.namingEnabled);
        QStringList names;
        for (int row = 0; row < controller->sourcesTable()->rowCount(); ++row)
            names.append(controller->sourcesTable()->item(row, 1)->text());
        if (!c.names.isEmpty())
            EXPECT_EQ(names, c.names);
        if (c.type == 2)
            EXPECT_TRUE(names.contains(QStringLiteral("Ink")));
        // The slices' own format is offered for slices only; every other format always.
        const auto* formats = qobject_cast<QStandardItemModel*>(controller->formatPopUp()->model());
        ASSERT_TRUE(formats);
        for (int row = 0; row < formats->rowCount(); ++row) {
            const bool sliceFormat = formats->item(row)->data(Qt::UserRole).toULongLong() == VNQLExportOperation::kSliceFormat;
            EXPECT_EQ(formats->item(row)->isEnabled(), !sliceFormat || c.type == 3) << row;
        }
    }
    EXPECT_TRUE(slicesLayer(*drawing)->visible()); // choosing slices shows them

    controller->namingSchemeAction(VNQLExportOperation::kRootAndIndex);
    EXPECT_TRUE(controller->firstIndexField()->isEnabled());
    controller->namingSchemeAction(VNQLExportOperation::kRootOnly);
    EXPECT_FALSE(controller->firstIndexField()->isEnabled());
    EXPECT_EQ(edited()->fileNamingOption(), VNQLExportOperation::kRootOnly);
}

TEST(ExportControllerColumns, ColumnsReadTheSourcesKeys)
{
    struct Case {
        QString column;
        int type;
        QString keyPath;
    };
    for (const Case& c : {Case{"name", 0, "layerName"}, Case{"size", 0, "drawing.size"}, Case{"name", 2, "layerName"},
                          Case{"visible", 2, "visible"}, Case{"name", 3, "name"}, Case{"size", 3, "size"},
                          Case{"name", 4, "name"}, Case{"size", 4, "displaySize"}, Case{"name", 1, ""}}) {
        SCOPED_TRACE(qPrintable(c.column + QString::number(c.type)));
        EXPECT_EQ(VNQLExportController::keyPathForColumnIdentifier(c.column, c.type), c.keyPath);
    }
}

TEST_F(ExportControllerTest, SelectionWithoutAnObjectLayerDisablesTableAndExport)
{
    controller->exportSourceTypeAction(VNQLExportOperation::kSelectionSource);
    EXPECT_TRUE(controller->sourcesTable()->isEnabled());
    EXPECT_TRUE(controller->exportButton()->isEnabled());
    ASSERT_TRUE(drawing->removeLayer(layer));
    ASSERT_FALSE(drawing->firstLayerOfClass(PWObjectDrawingLayer::staticClass(), true));
    controller->exportSourceTypeAction(VNQLExportOperation::kDrawingSource);
    controller->exportSourceTypeAction(VNQLExportOperation::kSelectionSource);
    EXPECT_FALSE(controller->sourcesTable()->isEnabled());
    EXPECT_FALSE(controller->exportButton()->isEnabled());
}

TEST_F(ExportControllerTest, AllAndNoneSwitchEveryRowAndTheExportButton)
{
    controller->exportSourceTypeAction(VNQLExportOperation::kSlicesSource);
    controller->allNoneAction(1);
    EXPECT_FALSE(controller->exportButton()->isEnabled());
    EXPECT_EQ(controller->sourcesTable()->item(0, 0)->checkState(), Qt::Unchecked);
    controller->allNoneAction(0);
    EXPECT_TRUE(controller->exportButton()->isEnabled());
    EXPECT_EQ(controller->sourcesTable()->item(0, 0)->checkState(), Qt::Checked);
    // A row switched off in the table.
    controller->sourcesTable()->item(0, 0)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(edited()->sources().constFirst()->valueForKey(QStringLiteral("visible")).toBool());
    EXPECT_FALSE(controller->exportButton()->isEnabled());
}

TEST_F(ExportControllerTest, ValuesFromTheControlsAreBounded)
{
    struct Case {
        const char* label;
        void (VNQLExportController::*action)(const QVariant&);
        QVariant given;
        double (VNQLExportOperation::*read)() const;
        double expected;
    };
    for (const Case& c : {Case{"dpi high", &VNQLExportController::dpiAction, 1e9, &VNQLExportOperation::dpi, 2400.0},
                          Case{"dpi zero", &VNQLExportController::dpiAction, 0.0, &VNQLExportOperation::dpi, 1.0},
                          Case{"dpi fine", &VNQLExportController::dpiAction, 300.0, &VNQLExportOperation::dpi, 300.0},
                          Case{"scale negative", &VNQLExportController::scaleAction, -5.0, &VNQLExportOperation::scale, 0.01},
                          Case{"scale high", &VNQLExportController::scaleAction, 1e6, &VNQLExportOperation::scale, 100.0},
                          Case{"quality high", &VNQLExportController::qualityAction, 7.0, &VNQLExportOperation::quality, 1.0},
                          Case{"quality low", &VNQLExportController::qualityAction, -1.0, &VNQLExportOperation::quality, 0.0}}) {
        SCOPED_TRACE(c.label);
        (controller.get()->*c.action)(c.given);
        EXPECT_DOUBLE_EQ((edited().get()->*c.read)(), c.expected);
    }
    const double dpiBefore = edited()->dpi();
    controller->dpiAction(std::numeric_limits<double>::quiet_NaN());
    EXPECT_DOUBLE_EQ(edited()->dpi(), dpiBefore);
}

TEST_F(ExportControllerTest, NamesStayInTheChosenFolder)
{
    QTemporaryDir outside;
    controller->chooseFolder(QUrl::fromLocalFile(QDir(outside.path()).filePath(QStringLiteral("inner"))));
    ASSERT_TRUE(QDir(outside.path()).mkdir(QStringLiteral("inner")));
    controller->chooseFolder(QUrl::fromLocalFile(QDir(outside.path()).filePath(QStringLiteral("inner"))));
    controller->fileNameRootAction(QStringLiteral("../../escape"));
    EXPECT_FALSE(edited()->fileNameRoot().contains(QLatin1Char('/')));
    controller->exportSourceTypeAction(VNQLExportOperation::kSelectionSource);
    controller->namingSchemeAction(VNQLExportOperation::kRootAndName);
    // The object's name, edited in the table, tries to climb out too.
    controller->sourcesTable()->item(0, 1)->setText(QStringLiteral("/../../../x"));
    ASSERT_TRUE(controller->sheetDidEnd(1));
    const QStringList inner = QDir(QDir(outside.path()).filePath(QStringLiteral("inner"))).entryList(QDir::Files);
    EXPECT_EQ(inner.size(), 1);
    EXPECT_EQ(QDir(outside.path()).entryList(QDir::Files), QStringList());
    for (const QUrl& url : edited()->filesWrittenURLs())
        EXPECT_EQ(QFileInfo(url.toLocalFile()).absolutePath(), QDir(outside.path()).filePath(QStringLiteral("inner")));
}

TEST_F(ExportControllerTest, EachSourceExports)
{
    struct Case {
        const char* label;
        int type;
        QString file;
    };
    for (const Case& c : {Case{"drawing", 0, QStringLiteral("Untitled_.png")},
                          Case{"layers", 2, QStringLiteral("Untitled_Ink.png")},
                          Case{"slices", 3, QStringLiteral("Untitled_Corner 1.png")},
                          Case{"selection", 4, QStringLiteral("Untitled_Box.png")}}) {
        SCOPED_TRACE(c.label);
        controller->exportSourceTypeAction(c.type);
        if (c.type != 0)
            controller->namingSchemeAction(VNQLExportOperation::kRootAndName);
        ASSERT_TRUE(controller->sheetDidEnd(1));
        EXPECT_TRUE(files().contains(c.file)) << qPrintable(files().join(QLatin1Char(',')));
    }
    EXPECT_EQ(delegate.asked, 4);
    EXPECT_EQ(delegate.told, 4);
}

TEST_F(ExportControllerTest, ARefusingDelegateExportsNothing)
{
    delegate.consent = false;
    EXPECT_FALSE(controller->sheetDidEnd(1));
    EXPECT_TRUE(files().isEmpty());
    EXPECT_EQ(delegate.told, 0);
}

TEST_F(ExportControllerTest, AFailureIsShownInAnAlert)
{
    QString shown;
    pf::PresentationHook::set([&](QWidget* dialog) {
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            shown = box->text() + QLatin1Char('|') + box->informativeText();
            box->close();
        }
    });
    edited()->setFolderURL(QUrl::fromLocalFile(QDir(folder.path()).filePath(QStringLiteral("gone"))));
    EXPECT_FALSE(controller->sheetDidEnd(1));
    pf::PresentationHook::clear();
    EXPECT_TRUE(shown.startsWith(VNQLExportController::kErrorMessage)) << qPrintable(shown);
    EXPECT_TRUE(shown.contains(QStringLiteral("(Error ")));
    EXPECT_EQ(delegate.told, 0);
}

TEST_F(ExportControllerTest, TheGridKeepsItsPrintingSetting)
{
    Ref<PWGridLayer> grid = drawing->gridLayer();
    ASSERT_TRUE(grid);
    for (bool printed : {false, true}) {
        for (int code : {0, 1}) {
            grid->setShouldDrawToPrinter(printed);
            auto sheet = VNQLExportController::exportController();
            QWidget parent;
            parent.show();
            sheet->beginSheetExportOperation(operation, &parent);
            EXPECT_TRUE(grid->shouldDrawToPrinter()); // offered while the sheet is up
            pf::Sheet::endSheet(pf::Sheet::attachedSheet(&parent), code);
            EXPECT_EQ(grid->shouldDrawToPrinter(), printed);
        }
    }
}

TEST_F(ExportControllerTest, ADrawingWithoutAGridExports)
{
    drawing->removeLayer(drawing->gridLayer());
    ASSERT_FALSE(drawing->gridLayer());
    auto sheet = VNQLExportController::exportController();
    QWidget parent;
    parent.show();
    sheet->beginSheetExportOperation(operation, &parent);
    pf::Sheet::endSheet(pf::Sheet::attachedSheet(&parent), 1);
    EXPECT_EQ(files(), QStringList{QStringLiteral("Untitled_.png")});
}

TEST_F(ExportControllerTest, TheSheetKeepsItsControllerUntilItEnds)
{
    QWidget parent;
    parent.show();
    std::weak_ptr<VNQLExportController> watched;
    {
        auto sheet = VNQLExportController::exportController();
        watched = sheet;
        sheet->beginSheetExportOperation(operation, &parent);
    }
    ASSERT_FALSE(watched.expired());
    QWidget* shown = pf::Sheet::attachedSheet(&parent);
    ASSERT_TRUE(shown);
    pf::Sheet::endSheet(shown, 1);
    EXPECT_EQ(files(), QStringList{QStringLiteral("Untitled_.png")});
    EXPECT_TRUE(waitUntil([&] { return watched.expired(); }, 5000));
}

TEST_F(ExportControllerTest, TheDocumentKeepsTheExportedSettings)
{
    Ref<RVCartavelDocument> document = newDocument();
    ASSERT_TRUE(document);
    document->exportOperationForExport()->setFolderURL(QUrl::fromLocalFile(folder.path()));
    document->exportOperationForExport()->setShowInFinder(false);
    // The slice pane and the layers panel ask for the sheet by name.
    document->perform("showExportDialogWithPreferredSource:", {VNQLExportOperation::kLayersSource});
    Ref<VNQLExportController> sheet = document->exportController();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->exportOperation()->sourceType(), VNQLExportOperation::kLayersSource);
    sheet->dpiAction(144.0);
    sheet->exportAction();
    EXPECT_DOUBLE_EQ(document->exportOperation()->dpi(), 144.0);
    EXPECT_FALSE(files().isEmpty());
    document->close();
}

} // namespace
