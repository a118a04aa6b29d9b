#include "inspectors/VNQL_AlignDistributeController.h"

#include "app/VNQLHelpTrampoline.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Button.h"

#include <QCoreApplication>

PF_DEFINE_CLASS(VNQL_AlignDistributeController, VNQLSelectionPane)
{
    b.method("alignDistributeHelpAction:", &VNQL_AlignDistributeController::alignDistributeHelpAction);
    using C = VNQL_AlignDistributeController;
    b.method("alignTopAction:", &C::alignTopAction);
    b.method("alignMiddleAction:", &C::alignMiddleAction);
    b.method("alignBottomAction:", &C::alignBottomAction);
    b.method("alignLeftAction:", &C::alignLeftAction);
    b.method("alignCenterAction:", &C::alignCenterAction);
    b.method("alignRightAction:", &C::alignRightAction);
    b.method("distributeVerticalCentres:", &C::distributeVerticalCentres);
    b.method("distributeVerticalSpace:", &C::distributeVerticalSpace);
    b.method("distributeHorizontalCentres:", &C::distributeHorizontalCentres);
    b.method("distributeHorizontalSpace:", &C::distributeHorizontalSpace);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQL_AlignDistributeController", text);
}
} // namespace

VNQL_AlignDistributeController::VNQL_AlignDistributeController(const QString& nibName)
    : VNQLSelectionPane(nibName.isEmpty() ? QStringLiteral("VNQL_AlignDistributeController") : nibName)
{
}

void VNQL_AlignDistributeController::loadView()
{
    using namespace VNQLPaneControls;
    pf::View* view = makePaneView();
    addRow(view, {}, {label(tr("Align"))});
    addRow(view, {}, {button(tr("Top"), tr("Align Top Edges"), "alignTopAction:"),
                                button(tr("Middle"), tr("Align Vertical Centers"), "alignMiddleAction:"),
                                button(tr("Bottom"), tr("Align Bottom Edges"), "alignBottomAction:")});
    addRow(view, {}, {button(tr("Left"), tr("Align Left Edges"), "alignLeftAction:"),
                      button(tr("Centre"), tr("Align Horizontal Centers"), "alignCenterAction:"),
                      button(tr("Right"), tr("Align Right Edges"), "alignRightAction:")});
    mDistributeButtons = {button(tr("V Space"), tr("Distribute Vertical Space"), "distributeVerticalSpace:"),
                          button(tr("V Centres"), tr("Distribute Vertical Centers"), "distributeVerticalCentres:"),
                          button(tr("H Space"), tr("Distribute Horizontal Space"), "distributeHorizontalSpace:"),
                          button(tr("H Centres"), tr("Distribute Horizontal Centers"), "distributeHorizontalCentres:")};
    addRow(view, {}, {label(tr("Distribute"))});
    addRow(view, {}, {mDistributeButtons[0], mDistributeButtons[1]});
    addRow(view, {}, {mDistributeButtons[2], mDistributeButtons[3]});
    VNQLPaneControls::addHelpButton(view, this, QStringLiteral("alignDistributeHelpAction:"));
    finish(view);
    setView(view);
}

bool VNQL_AlignDistributeController::distributionEnabled()
{
    return selectionCount() > 2;
}

void VNQL_AlignDistributeController::viewWillAppear()
{
    view();
    const bool enabled = distributionEnabled();
    for (const QPointer<pf::Button>& button : std::as_const(mDistributeButtons))
        if (button)
            button->setEnabled(enabled);
}

#define VNQL_ALIGN_ACTION(action, name, operation)                                                                    \
    void VNQL_AlignDistributeController::action(const QVariant&)                                                       \
    {                                                                                                                  \
        setTitle(tr(name));                                                                                            \
        if (pf::Ref<PWObjectDrawingLayer> layer = currentDrawingLayer())                                               \
            layer->operation(title());                                                                                 \
    }

VNQL_ALIGN_ACTION(alignTopAction, "Align Top Edges", alignTopEdges)
VNQL_ALIGN_ACTION(alignMiddleAction, "Align Vertical Centers", alignVerticalCentres)
VNQL_ALIGN_ACTION(alignBottomAction, "Align Bottom Edges", alignBottomEdges)
VNQL_ALIGN_ACTION(alignLeftAction, "Align Left Edges", alignLeftEdges)
VNQL_ALIGN_ACTION(alignCenterAction, "Align Horizontal Centers", alignHorizontalCentres)
VNQL_ALIGN_ACTION(alignRightAction, "Align Right Edges", alignRightEdges)
VNQL_ALIGN_ACTION(distributeVerticalCentres, "Distribute Vertical Centers", distributeVerticalCentres)
VNQL_ALIGN_ACTION(distributeVerticalSpace, "Distribute Vertical Space", distributeVerticalSpace)
VNQL_ALIGN_ACTION(distributeHorizontalCentres, "Distribute Horizontal Centers", distributeHorizontalCentres)
VNQL_ALIGN_ACTION(distributeHorizontalSpace, "Distribute Horizontal Space", distributeHorizontalSpace)

void VNQL_AlignDistributeController::alignDistributeHelpAction(const QVariant&)
{
    VNQLHelpTrampoline::sharedHelpTrampoline()->showHelpForIdentifier(QStringLiteral("align-and-distribute-objects"));
}
