#include "inspectors/VNQL_BooleanOpsViewController.h"

#include "app/VNQLHelpTrampoline.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/TextField.h"

#include <QCoreApplication>

PF_DEFINE_CLASS(VNQL_BooleanOpsViewController, VNQLSelectionPane)
{
    b.method("booleanOpsHelpAction:", &VNQL_BooleanOpsViewController::booleanOpsHelpAction);
    using C = VNQL_BooleanOpsViewController;
    b.method("unionAction:", &C::unionAction);
    b.method("differenceAction:", &C::differenceAction);
    b.method("intersectionAction:", &C::intersectionAction);
    b.method("appendAction:", &C::appendAction);
    b.method("cookieCutterAction:", &C::cookieCutterAction);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQL_BooleanOpsViewController", text);
}
} // namespace

VNQL_BooleanOpsViewController::VNQL_BooleanOpsViewController(const QString& nibName)
    : VNQLSelectionPane(nibName.isEmpty() ? QStringLiteral("VNQL_BooleanOpsViewController") : nibName)
{
}

void VNQL_BooleanOpsViewController::loadView()
{
    using namespace VNQLPaneControls;
    pf::View* view = makePaneView();
    addRow(view, {}, {label(tr("Combine"))});
    addRow(view, {}, {button(tr("Union"), tr("Union"), "unionAction:"),
                                  button(tr("Intersect"), tr("Intersection"), "intersectionAction:"),
                                  button(tr("Difference"), tr("Difference"), "differenceAction:")});
    addRow(view, {}, {button(tr("Append"), tr("Append"), "appendAction:"), button(tr("Divide"), tr("Divide"), "cookieCutterAction:")});
    VNQLPaneControls::addHelpButton(view, this, QStringLiteral("booleanOpsHelpAction:"));
    finish(view);
    setView(view);
}

#define VNQL_BOOLEAN_ACTION(action, name, operation)                                                                  \
    void VNQL_BooleanOpsViewController::action(const QVariant&)                                                        \
    {                                                                                                                  \
        setTitle(tr(name));                                                                                            \
        if (pf::Ref<PWObjectDrawingLayer> layer = currentDrawingLayer())                                               \
            layer->operation(title());                                                                                 \
    }

VNQL_BOOLEAN_ACTION(unionAction, "Union", unionSelectedObjects)
VNQL_BOOLEAN_ACTION(differenceAction, "Difference", diffSelectedObjects)
VNQL_BOOLEAN_ACTION(intersectionAction, "Intersection", intersectionSelectedObjects)
VNQL_BOOLEAN_ACTION(appendAction, "Append", combineSelectedObjects)
VNQL_BOOLEAN_ACTION(cookieCutterAction, "Divide", cookieCutterSelectedObjects)

void VNQL_BooleanOpsViewController::booleanOpsHelpAction(const QVariant&)
{
    VNQLHelpTrampoline::sharedHelpTrampoline()->showHelpForIdentifier(QStringLiteral("combine-and-clip-shapes"));
}
