#include "inspectors/VNQL_ZArrangerViewController.h"

#include "app/VNQLHelpTrampoline.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/TextField.h"
#include "platform/foundation/UndoManager.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PopUpButton.h"

#include <QCoreApplication>

PF_DEFINE_CLASS(VNQL_ZArrangerViewController, VNQLSelectionPane)
{
    b.method("arrangeFlipConvertHelpAction:", &VNQL_ZArrangerViewController::arrangeFlipConvertHelpAction);
    using C = VNQL_ZArrangerViewController;
    b.method("moveToBackAction:", &C::moveToBackAction);
    b.method("moveBackwardsAction:", &C::moveBackwardsAction);
    b.method("moveForwardsAction:", &C::moveForwardsAction);
    b.method("moveToFrontAction:", &C::moveToFrontAction);
    b.method("flipHorizontalAction:", &C::flipHorizontalAction);
    b.method("flipVerticalAction:", &C::flipVerticalAction);
    b.method("singleDuplicateAction:", &C::singleDuplicateAction);
    b.method("linearDuplicateAction:", &C::linearDuplicateAction);
    b.method("polarDuplicateAction:", &C::polarDuplicateAction);
    b.method("convertToPath:", &C::convertToPath);
    b.method("convertToShape:", &C::convertToShape);
    b.method("convertToShapeGroup:", &C::convertToShapeGroup);
    b.method("convertToTextShape:", &C::convertToTextShape);
    b.method("convertToTextPath:", &C::convertToTextPath);
    b.method("convertToTrack:", &C::convertToTrack);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQL_ZArrangerViewController", text);
}
} // namespace

VNQL_ZArrangerViewController::VNQL_ZArrangerViewController(const QString& nibName)
    : VNQLSelectionPane(nibName.isEmpty() ? QStringLiteral("VNQL_ZArrangerViewController") : nibName)
{
}

void VNQL_ZArrangerViewController::loadView()
{
    using namespace VNQLPaneControls;
    pf::View* view = makePaneView();
    mStackingButtons = {button(tr("Front"), tr("Move To Front"), "moveToFrontAction:"),
                        button(tr("Back"), tr("Move To Back"), "moveToBackAction:"),
                        button(tr("Forward"), tr("Move Forwards"), "moveForwardsAction:"),
                        button(tr("Backward"), tr("Move Backwards"), "moveBackwardsAction:")};
    addRow(view, {}, {label(tr("Arrange"))});
    addRow(view, {}, {mStackingButtons[0], mStackingButtons[1]});
    addRow(view, {}, {mStackingButtons[2], mStackingButtons[3]});
    addRow(view, {}, {label(tr("Flip"))});
    addRow(view, {}, {button(tr("Horizontal"), tr("Flip Horizontally"), "flipHorizontalAction:"),
                               button(tr("Vertical"), tr("Flip Vertically"), "flipVerticalAction:")});
    addRow(view, {}, {label(tr("Duplicate"))});
    addRow(view, {}, {button(tr("Once"), tr("Duplicate Once"), "singleDuplicateAction:"),
                                    button(tr("Linear…"), tr("Linear Duplicate"), "linearDuplicateAction:"),
                                    button(tr("Polar…"), tr("Polar Duplicate"), "polarDuplicateAction:")});
    mConvertPopUpButton = new pf::PopUpButton(nullptr, true);
    mConvertPopUpButton->addItemWithTitle(tr("Convert"));
    const QList<std::pair<const char*, const char*>> conversions = {
        {"Convert To Path", "convertToPath:"},
        {"Convert To Shape", "convertToShape:"},
        {"Convert To Shape Group", "convertToShapeGroup:"},
        {"Convert To Text Shape", "convertToTextShape:"},
        {"Convert To Text Path", "convertToTextPath:"},
    };
    for (const auto& [title, action] : conversions) {
        pf::MenuItem* item = mConvertPopUpButton->addItemWithTitle(tr(title));
        item->setAction(QString::fromLatin1(action));
        item->setTarget(this);
    }
    mConvertPopUpButton->setFixedHeight(22);
    addRow(view, {}, {label(tr("Convert"))});
    addRow(view, {}, {mConvertPopUpButton});
    VNQLPaneControls::addHelpButton(view, this, QStringLiteral("arrangeFlipConvertHelpAction:"));
    finish(view);
    setView(view);
}

bool VNQL_ZArrangerViewController::stackingEnabled() const
{
    auto* self = const_cast<VNQL_ZArrangerViewController*>(this);
    return quint64(std::max<qint64>(0, self->selectionCount())) < m_totalObjectCount;
}

void VNQL_ZArrangerViewController::viewWillAppear()
{
    view();
    const bool enabled = stackingEnabled();
    for (const QPointer<pf::Button>& button : std::as_const(mStackingButtons))
        if (button)
            button->setEnabled(enabled);
}

bool VNQL_ZArrangerViewController::validateMenuItem(pf::MenuItem& item)
{
    PWDrawingView* drawingView = currentDrawingView();
    return drawingView && drawingView->respondsTo(item.action()) && drawingView->validateMenuItem(item);
}

// Stacking order

void VNQL_ZArrangerViewController::arrange(Stacking how, const QString& actionName)
{
    pf::Ref<PWObjectDrawingLayer> layer = currentDrawingLayer();
    if (!layer)
        return;
    PWObjectOwnerLayer::ObjectList objects = layer->selectedAvailableObjects();
    if (objects.isEmpty())
        return;
    pf::UndoManager* undo = layer->undoManager();
    if (undo) {
        undo->disableUndoTaskCoalescing();
        undo->beginUndoGrouping();
    }
    const qint64 count = layer->countOfObjects();
    switch (how) {
    case Stacking::ToBack: {
        qint64 index = 0;
        for (const auto& object : objects)
            layer->moveObject(object, index++);
        break;
    }
    case Stacking::ToFront:
        for (const auto& object : objects)
            layer->moveObject(object, count - 1);
        break;
    case Stacking::Backwards: {
        // Bottom first; an object never passes a selected one that could not move.
        qint64 floor = 0;
        for (const auto& object : objects) {
            const qint64 index = layer->indexOfObject(object.get());
            const qint64 target = std::max(index - 1, floor);
            if (target < index)
                layer->moveObject(object, target);
            floor = target + 1;
        }
        break;
    }
    case Stacking::Forwards: {
        // Top first, so neighbouring selected objects move up together, never past the top.
        qint64 limit = count - 1;
        for (auto it = objects.crbegin(); it != objects.crend(); ++it) {
            const qint64 index = layer->indexOfObject(it->get());
            const qint64 target = std::min(index + 1, limit);
            if (target > index)
                layer->moveObject(*it, target);
            limit = target - 1;
        }
        break;
    }
    }
    if (undo) {
        undo->setActionName(actionName);
        undo->endUndoGrouping();
        undo->enableUndoTaskCoalescing();
    }
}

void VNQL_ZArrangerViewController::moveToBackAction(const QVariant&) { arrange(Stacking::ToBack, tr("Move To Back")); }
void VNQL_ZArrangerViewController::moveBackwardsAction(const QVariant&) { arrange(Stacking::Backwards, tr("Move Backwards")); }
void VNQL_ZArrangerViewController::moveForwardsAction(const QVariant&) { arrange(Stacking::Forwards, tr("Move Forwards")); }
void VNQL_ZArrangerViewController::moveToFrontAction(const QVariant&) { arrange(Stacking::ToFront, tr("Move To Front")); }

// Sent on

void VNQL_ZArrangerViewController::sendToDrawingView(const QString& selector, const QString& actionName)
{
    PWDrawingView* view = currentDrawingView();
    if (!view)
        return;
    setTitle(actionName);
    view->perform(selector, {actionName});
}

void VNQL_ZArrangerViewController::sendToDocument(const QString& selector)
{
    pf::Application* application = pf::Application::shared();
    pf::Reflective* target = application ? application->targetForAction(selector) : nullptr;
    if (target)
        target->perform(selector, {QVariant()});
}

void VNQL_ZArrangerViewController::flipHorizontalAction(const QVariant&)
{
    sendToDrawingView(QStringLiteral("toggleHorizontalFlip:"), tr("Flip Horizontally"));
}
void VNQL_ZArrangerViewController::flipVerticalAction(const QVariant&)
{
    sendToDrawingView(QStringLiteral("toggleVerticalFlip:"), tr("Flip Vertically"));
}
void VNQL_ZArrangerViewController::singleDuplicateAction(const QVariant&)
{
    sendToDrawingView(QStringLiteral("duplicate:"), tr("Duplicate Once"));
}
void VNQL_ZArrangerViewController::linearDuplicateAction(const QVariant&) { sendToDocument(QStringLiteral("linearDuplicate:")); }
void VNQL_ZArrangerViewController::polarDuplicateAction(const QVariant&) { sendToDocument(QStringLiteral("polarDuplicate:")); }
void VNQL_ZArrangerViewController::convertToPath(const QVariant&) { sendToDrawingView(QStringLiteral("convertToPath:"), tr("Convert To Path")); }
void VNQL_ZArrangerViewController::convertToShape(const QVariant&) { sendToDrawingView(QStringLiteral("convertToShape:"), tr("Convert To Shape")); }
void VNQL_ZArrangerViewController::convertToShapeGroup(const QVariant&)
{
    sendToDrawingView(QStringLiteral("convertToShapeGroup:"), tr("Convert To Shape Group"));
}
void VNQL_ZArrangerViewController::convertToTextShape(const QVariant&)
{
    sendToDrawingView(QStringLiteral("convertToTextShape:"), tr("Convert To Text Shape"));
}
void VNQL_ZArrangerViewController::convertToTextPath(const QVariant&)
{
    sendToDrawingView(QStringLiteral("convertToTextPath:"), tr("Convert To Text Path"));
}

void VNQL_ZArrangerViewController::arrangeFlipConvertHelpAction(const QVariant&)
{
    VNQLHelpTrampoline::sharedHelpTrampoline()->showHelpForIdentifier(QStringLiteral("arrange-duplicate-and-convert-objects"));
}
