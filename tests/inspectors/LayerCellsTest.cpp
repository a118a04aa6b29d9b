// The rows of the Layers tab: layer cells bound to their layers, the summary strings, the
// cells' menus, and the object and slice cells' renaming.
#include "drawing/PWXSlice.h"
#include "drawing/VNQLSlicesLayer.h"
#include "frameworks/measurement/RVUnitLength.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/layers/PWGuideLayer.h"
#include "frameworks/penwork/layers/PWLayerGroup.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "inspectors/PWLayer+VNQLAuxiliaryInfoString.h"
#include "inspectors/VNQLGraphicObjectCellView.h"
#include "inspectors/VNQLLayerCellView.h"
#include "inspectors/VNQLLayersController.h"
#include "inspectors/VNQLSliceCellView.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ColorWell.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/TextField.h"
#include "widgets/RVAugmentedButton.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace {

QStringList titles(const pf::Menu& menu)
{
    QStringList out;
    for (const auto& item : menu.items())
        out << (item->isSeparatorItem() ? QStringLiteral("-") : item->title());
    return out;
}

} // namespace

TEST(LayerSummaries, CountsTakeTheSingularForOneAndTheDrawingShowsItsSizeInItsUnits)
{
    auto drawing = std::make_shared<PWDrawing>();
    drawing->setUnits(RVUnitLength::inches());
    drawing->setDrawingSize(QSizeF(595.28, 841.89));
    auto layer = std::make_shared<PWObjectDrawingLayer>();
    drawing->addLayer(layer);
    layer->addObject(PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 10)));
    auto group = std::make_shared<PWLayerGroup>();
    for (int i = 0; i < 3; ++i)
        group->addLayer(std::make_shared<PWLayer>());
    auto guides = std::make_shared<PWGuideLayer>();

    EXPECT_EQ(PWLayerVNQLAuxiliaryInfoString::auxiliaryInfoString(*drawing), "8.3 x 11.7 in, 1 Layer");
    EXPECT_EQ(PWLayerVNQLAuxiliaryInfoString::auxiliaryInfoString(*layer), "1 Object, 0 Selected");
    layer->selectAll();
    layer->addObject(PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 10)));
    EXPECT_EQ(PWLayerVNQLAuxiliaryInfoString::auxiliaryInfoString(*layer), "2 Objects, 1 Selected");
    EXPECT_EQ(PWLayerVNQLAuxiliaryInfoString::auxiliaryInfoString(*group), "3 Layers");
    EXPECT_EQ(PWLayerVNQLAuxiliaryInfoString::auxiliaryInfoString(*guides), "0 Guides");
    EXPECT_TRUE(PWLayerVNQLAuxiliaryInfoString::auxiliaryInfoString(PWLayer()).isEmpty());
    // Reachable by key for the cells' observation.
    PWLayerVNQLAuxiliaryInfoString::install();
    EXPECT_EQ(group->valueForKey(QStringLiteral("auxiliaryInfoString")).toString(), "3 Layers");
}

class LayerCellFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        drawing->addLayer(guides);
        drawing->addLayer(layer);
        layer->setLayerName(QStringLiteral("Roads"));
        controller = std::make_shared<VNQLLayersController>();
        controller->setDrawing(drawing);
        cell.setLayersController(controller.get());
        cell.setObjectValue(pf::toVariant(layer));
    }

    pf::Ref<PWDrawing> drawing = std::make_shared<PWDrawing>();
    pf::Ref<PWObjectDrawingLayer> layer = std::make_shared<PWObjectDrawingLayer>();
    pf::Ref<PWGuideLayer> guides = std::make_shared<PWGuideLayer>();
    pf::Ref<VNQLLayersController> controller;
    VNQLLayerCellView cell;
};

TEST_F(LayerCellFixture, TheCellFollowsItsLayerAndWritesBackWhatTheUserChanges)
{
    EXPECT_EQ(cell.nameField()->stringValue(), "Roads");
    layer->setLayerName(QStringLiteral("Rivers"));
    EXPECT_EQ(cell.nameField()->stringValue(), "Rivers");
    layer->setLocked(true);
    EXPECT_EQ(cell.lockCheckbox()->state(), pf::ControlState::On);
    EXPECT_FALSE(cell.nameField()->isEditable());
    EXPECT_TRUE(cell.deleteButton()->isHidden());
    layer->setLocked(false);
    layer->addObject(PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 10)));
    EXPECT_EQ(cell.auxInfoField()->stringValue(), "1 Object, 0 Selected");

    // An empty name leaves the name as it was.
    cell.nameField()->setStringValue(QString());
    cell.nameAction({});
    EXPECT_EQ(layer->layerName(), "Rivers");
    EXPECT_EQ(cell.nameField()->stringValue(), "Rivers");
    cell.nameField()->setStringValue(QStringLiteral("Lakes"));
    cell.nameAction({});
    EXPECT_EQ(layer->layerName(), "Lakes");
    ASSERT_TRUE(drawing->undoManager());
    EXPECT_EQ(drawing->undoManager()->undoActionName(), "Rename Layer");

    // Half opacity shows the opacity image on the visibility checkbox.
    layer->setAlpha(0.5);
    EXPECT_EQ(cell.visibleCheckbox()->alternateImage(), pf::Image::imageNamed(QStringLiteral("VN_Layer_Opacity3-Template")));
    layer->setAlpha(1.0);
    EXPECT_EQ(cell.visibleCheckbox()->alternateImage(), pf::Image::imageNamed(QStringLiteral("VN_Layer_Show-Template")));
    // Drawing layers have the opacity popover; others have none.
    EXPECT_EQ(cell.popoverForAugmentedButton(*cell.visibleCheckbox()), controller->opacityPopover());
    cell.setObjectValue(pf::toVariant(guides));
    EXPECT_EQ(cell.popoverForAugmentedButton(*cell.visibleCheckbox()), nullptr);
    // Unbound, the old layer's changes reach the cell no more.
    layer->setLayerName(QStringLiteral("Gone"));
    EXPECT_NE(cell.nameField()->stringValue(), "Gone");
}

TEST_F(LayerCellFixture, TheDrawingRowHasNoLockVisibilityOrDeleteAndItsOwnMenu)
{
    cell.setObjectValue(pf::toVariant(drawing));
    EXPECT_TRUE(cell.lockCheckbox()->isHidden());
    EXPECT_TRUE(cell.visibleCheckbox()->isHidden());
    EXPECT_TRUE(cell.deleteButton()->isHidden());
    pf::Menu menu;
    menu.addItem(QStringLiteral("Panel Item"), QStringLiteral("toggleCompactRowsAction:"));
    cell.updateRowContextualMenu(menu);
    EXPECT_EQ(titles(menu), (QStringList{"Drawing Size & Units...", "-", "Panel Item"}));

    pf::Menu layerMenu;
    cell.setObjectValue(pf::toVariant(layer));
    cell.updateRowContextualMenu(layerMenu);
    EXPECT_EQ(titles(layerMenu), (QStringList{"Activate Layer", "-", "Rename...", "Delete Layer...", "Duplicate", "Hide",
                                              "Lock", "-"}));
}

TEST_F(LayerCellFixture, MenuItemsAreValidatedByTheLayersState)
{
    cell.setObjectValue(pf::toVariant(guides));
    auto clear = pf::MenuItem::make(QStringLiteral("Clear Guides..."), QStringLiteral("clearGuidesAction:"));
    EXPECT_FALSE(cell.validateUserInterfaceItem(*clear));
    guides->addHorizontalGuide(100);
    EXPECT_TRUE(cell.validateUserInterfaceItem(*clear));

    auto slices = std::make_shared<VNQLSlicesLayer>();
    drawing->addLayer(slices);
    cell.setObjectValue(pf::toVariant(slices));
    auto exportItem = pf::MenuItem::make(QStringLiteral("Export Slices..."), QStringLiteral("exportSlicesAction:"));
    EXPECT_FALSE(cell.validateUserInterfaceItem(*exportItem));
    slices->addNewSlice();
    EXPECT_TRUE(cell.validateUserInterfaceItem(*exportItem));

    cell.setObjectValue(pf::toVariant(layer));
    auto lock = pf::MenuItem::make(QStringLiteral("Lock"), QStringLiteral("toggleLockAction:"));
    layer->setLocked(true);
    cell.validateUserInterfaceItem(*lock);
    EXPECT_EQ(lock->title(), "Unlock");
    cell.toggleLockAction({});
    EXPECT_FALSE(layer->locked());
}

TEST(SliceCell, RenamingKeepsTheDigitsTheUserTyped)
{
    struct Case {
        const char* typed;
        qint64 position;
        const char* title;
    };
    const std::vector<Case> cases = {
        {"Area 51", 3, "Area 51"},       // digits of the name stay
        {"Area 51 3", 3, "Area 51"},     // the shown position number is dropped
        {"Header 2x", 2, "Header 2x"},   // only a trailing position counts
        {"  Logo 1  ", 1, "Logo"},
        {"7", 7, "7"},                   // the whole name is never dropped
    };
    for (const Case& c : cases)
        EXPECT_EQ(VNQLSliceCellView::titleForTypedName(QString::fromUtf8(c.typed), c.position), QString::fromUtf8(c.title))
            << c.typed;

    auto layer = std::make_shared<VNQLSlicesLayer>();
    auto slice = layer->addNewSlice();
    VNQLSliceCellView cell;
    cell.setObjectValue(pf::toVariant(slice));
    EXPECT_EQ(cell.nameField()->stringValue(), "Slice 1");
    cell.nameField()->setStringValue(QStringLiteral("Page 2 of 10 1"));
    cell.nameAction({});
    EXPECT_EQ(slice->title(), "Page 2 of 10");
    EXPECT_EQ(cell.nameField()->stringValue(), "Page 2 of 10 1");
    cell.nameField()->setStringValue(QString());
    cell.nameAction({});
    EXPECT_EQ(slice->title(), "Page 2 of 10");
}

TEST(GraphicObjectCell, FollowsTheObjectAndRenamesIt)
{
    auto layer = std::make_shared<PWObjectDrawingLayer>();
    auto object = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 10));
    layer->addObject(object);
    VNQLGraphicObjectCellView cell;
    cell.setObjectValue(pf::toVariant(object));
    object->setLocked(true);
    EXPECT_EQ(cell.lockButton()->state(), pf::ControlState::On);
    EXPECT_FALSE(cell.visibleButton()->isEnabled());
    object->setLocked(false);
    cell.auxInfoField()->setStringValue(QStringLiteral("Harbour wall"));
    cell.nameAction({});
    EXPECT_EQ(object->name(), "Harbour wall");
    EXPECT_EQ(cell.auxInfoField()->stringValue(), "Harbour wall");
    object->setVisible(false);
    EXPECT_EQ(cell.visibleButton()->state(), pf::ControlState::Off);
}
