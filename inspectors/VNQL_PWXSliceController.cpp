#include "inspectors/VNQL_PWXSliceController.h"

#include "app/VNQLHelpTrampoline.h"
#include "inspectors/VNQLGeometryController.h"
#include "inspectors/VNQLPaneControls.h"

#include "drawing/PWXSlice.h"
#include "drawing/VNQLSlicesLayer.h"
#include "frameworks/penwork/layers/PWLayer.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Color.h"
#include "platform/ui/Button.h"
#include "platform/ui/ColorWell.h"
#include "platform/ui/Document.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/TextField.h"

#include <cmath>
#include <QCoreApplication>

using namespace VNQLPaneControls;

PF_DEFINE_CLASS(VNQL_PWXSliceController, VNQL_PWDrawableObjectController)
{
    b.method("slicesHelpAction:", &VNQL_PWXSliceController::slicesHelpAction);
    using C = VNQL_PWXSliceController;
    b.method("sliceTitleAction:", &C::sliceTitleAction);
    b.method("sliceColourAction:", &C::sliceColourAction);
    b.method("toolModeAction:", &C::toolModeAction);
    b.method("exportAction:", &C::exportAction);
    b.property("title", &C::sliceTitle, &C::setSliceTitle);
    b.method("setColour:", &C::setColour);
    b.method("setMixedValueForTitle", &C::setMixedValueForTitle);
    b.method("setMixedValueForColour", &C::setMixedValueForColour);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQL_PWXSliceController", text);
}
} // namespace

VNQL_PWXSliceController::VNQL_PWXSliceController(const QString& nibName)
    : VNQL_PWDrawableObjectController(nibName.isEmpty() ? QStringLiteral("VNQL_PWXSliceController") : nibName)
{
}

VNQL_PWXSliceController::~VNQL_PWXSliceController()
{
    pf::NotificationCenter::defaultCenter().removeObserver(this);
}

const pf::Class& VNQL_PWXSliceController::managedObjectClass() const
{
    return PWXSlice::staticClass();
}

QStringList VNQL_PWXSliceController::keyPathsOfInterest() const
{
    return {"xLocation", "yLocation", "width", "height", "visible", "locked", "title", "colour"};
}

void VNQL_PWXSliceController::loadView()
{
    pf::View* view = makePaneView();
    mTitleTextField = textField(this, "sliceTitleAction:");
    addRow(view, tr("Title:"), {mTitleTextField});
    buildGeometryRows(view, false);
    mSliceColorWell = new pf::ColorWell;
    mSliceColorWell->setFixedSize(44, 22);
    mSliceColorWell->setTarget(this);
    mSliceColorWell->setAction(QStringLiteral("sliceColourAction:"));
    addRow(view, tr("Colour:"), {mSliceColorWell});
    mToolModeSegmentedControl = new pf::SegmentedControl;
    mToolModeSegmentedControl->setSegmentCount(2);
    mToolModeSegmentedControl->setLabel(tr("Select"), 0);
    mToolModeSegmentedControl->setLabel(tr("Draw"), 1);
    mToolModeSegmentedControl->setTarget(this);
    mToolModeSegmentedControl->setAction(QStringLiteral("toolModeAction:"));
    mToolModeSegmentedControl->setFixedHeight(22);
    mToolModeSegmentedControl->sizeToFit();
    // The layout would squeeze it below its labels' width.
    mToolModeSegmentedControl->setMinimumWidth(int(std::ceil(mToolModeSegmentedControl->frame().width())));
    addRow(view, tr("Tool:"), {mToolModeSegmentedControl});
    mExportButton = pushButton(tr("Export Slices…"), this, "exportAction:");
    addRow(view, {}, {mExportButton});
    VNQLPaneControls::addHelpButton(view, this, QStringLiteral("slicesHelpAction:"));
    finish(view);
    setView(view);
    pf::NotificationCenter::defaultCenter().addObserver(
        this, [this](const pf::Notification& notification) { toolModeChanged(notification); },
        kVNQLSlicesLayerToolModeDidChange, nullptr);
}

VNQLSlicesLayer* VNQL_PWXSliceController::firstSlicesLayer()
{
    const QList<pf::Ref<pf::Object>> objects = hasContent() ? content() : QList<pf::Ref<pf::Object>>();
    auto slice = objects.isEmpty() ? nullptr : std::dynamic_pointer_cast<PWXSlice>(objects.first());
    return slice ? slice->slicesLayer() : nullptr;
}

void VNQL_PWXSliceController::toolModeChanged(const pf::Notification& notification)
{
    VNQLSlicesLayer* layer = firstSlicesLayer();
    if (layer && notification.object == layer && mToolModeSegmentedControl)
        mToolModeSegmentedControl->setSelectedSegment(layer->toolMode());
}

void VNQL_PWXSliceController::sliceTitleAction(const QVariant& sender) { write(sender, "title"); }
void VNQL_PWXSliceController::sliceColourAction(const QVariant& sender) { write(sender, "colour"); }

void VNQL_PWXSliceController::toolModeAction(const QVariant& sender)
{
    auto* segments = qobject_cast<pf::SegmentedControl*>(pf::Control::fromSender(sender));
    VNQLSlicesLayer* layer = firstSlicesLayer();
    if (segments && layer && segments->selectedSegment() >= 0)
        layer->setToolMode(segments->selectedSegment());
}

void VNQL_PWXSliceController::exportAction(const QVariant&)
{
    pf::DocumentController* controller = pf::DocumentController::sharedIfMade();
    pf::Document* document = controller ? controller->currentDocument() : nullptr;
    if (document && document->respondsTo(QStringLiteral("showExportDialogWithPreferredSource:")))
        document->perform(QStringLiteral("showExportDialogWithPreferredSource:"), {3});
}

QVariant VNQL_PWXSliceController::sliceTitle() const
{
    return mTitleTextField ? mTitleTextField->stringValue() : QString();
}

void VNQL_PWXSliceController::setSliceTitle(const QVariant& value)
{
    if (mTitleTextField)
        mTitleTextField->setStringValue(value.toString());
    if (VNQLGeometryController* tab = geometryController())
        tab->setNeedsInfoUpdate();
}

void VNQL_PWXSliceController::setColour(const QVariant& value)
{
    const QColor colour = PWLayer::colourFromValue(value);
    if (!mSliceColorWell || !colour.isValid())
        return;
    mSliceColorWell->setEnabled(true);
    mSliceColorWell->setColor(pf::Color(colour));
}

void VNQL_PWXSliceController::setMixedValueForTitle()
{
    if (mTitleTextField)
        mTitleTextField->setStringValue(QString());
}

void VNQL_PWXSliceController::setMixedValueForColour()
{
    if (!mSliceColorWell)
        return;
    mSliceColorWell->setColor(pf::Color(0, 0, 0, 0));
    mSliceColorWell->setEnabled(false);
}

void VNQL_PWXSliceController::slicesHelpAction(const QVariant&)
{
    VNQLHelpTrampoline::sharedHelpTrampoline()->showHelpForIdentifier(QStringLiteral("slices-layer"));
}
