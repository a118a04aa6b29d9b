#include "drawing/PWXStylePickUpTool.h"

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/registries/PWStyleRegistry.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVLog.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "frameworks/penwork/tools/PWObjectCreationTool.h"
#include "frameworks/penwork/tools/PWToolView.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Document.h"
#include "platform/ui/DocumentController.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPixmap>

const QString PWXStylePickUpTool::kDidChangeStyleNotification = QStringLiteral("kPWXStylePickUpToolDidChangeStyle");
const QString PWXStylePickUpTool::kNoAutoResetDefaultsKey = QStringLiteral("CVLQ_STYLE_DROPPER_NO_AUTO_RESET");

PF_DEFINE_CLASS(PWXStylePickUpTool, PWDrawingTool)
{
    b.classMethod("supportedLibraryItemKind", [](const pf::Class&, const QVariantList&) { return QVariant(1); });
}

namespace {

QCursor cursorFromImage(const QString& name, int x, int y, Qt::CursorShape fallback)
{
    pf::Ref<pf::Image> image = pf::Image::imageNamed(name);
    return image ? QCursor(QPixmap::fromImage(image->bitmap()), x, y) : QCursor(fallback);
}

void invalidateCursorsOfCurrentDocument()
{
    pf::DocumentController* documents = pf::DocumentController::sharedIfMade();
    pf::Document* document = documents ? documents->currentDocument() : nullptr;
    if (!document || !document->respondsTo(QStringLiteral("drawing")))
        return;
    if (auto drawing = pf::objectCast<PWDrawing>(document->perform(QStringLiteral("drawing"))))
        drawing->invalidateCursors();
}

void invalidateCursorsOf(const PWLayer* layer)
{
    if (PWDrawing* drawing = layer ? layer->drawing() : nullptr)
        drawing->invalidateCursors();
}

} // namespace

bool PWXStylePickUpTool::performsResetOnSelection()
{
    return !pf::UserDefaults::standard().boolForKey(kNoAutoResetDefaultsKey);
}

void PWXStylePickUpTool::setPerformsResetOnSelection(bool resets)
{
    pf::UserDefaults::standard().setBool(!resets, kNoAutoResetDefaultsKey);
}

QCursor PWXStylePickUpTool::dropperCursor()
{
    static const QCursor cursor = cursorFromImage(QStringLiteral("VNCR_Style_Dropper_Full"), 2, 26, Qt::PointingHandCursor);
    return cursor;
}

QCursor PWXStylePickUpTool::pickUpCursor()
{
    static const QCursor cursor = cursorFromImage(QStringLiteral("VNCR_Style_Dropper_Empty"), 2, 26, Qt::CrossCursor);
    return cursor;
}

void PWXStylePickUpTool::setStyle(const pf::Ref<PWStyle>& style)
{
    if (style == m_style || (style && m_style && style->isEqualToStyle(m_style.get())))
        return;
    m_style = style;
    pf::NotificationCenter::defaultCenter().post(kDidChangeStyleNotification, this);
    invalidateCursorsOfCurrentDocument();
}

QString PWXStylePickUpTool::defaultActionName() const
{
    return QCoreApplication::translate("PWXStylePickUpTool", "Drop Style");
}

QCursor PWXStylePickUpTool::cursor() const
{
    const bool option = QGuiApplication::keyboardModifiers().testFlag(Qt::AltModifier);
    return !option && m_style ? dropperCursor() : pickUpCursor();
}

int PWXStylePickUpTool::mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer,
                                         const PWToolEvent& event, PWToolUndoDelegate* delegate)
{
    if (!target)
        return 0;
    if (auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer))
        owner->replaceSelectionWithObject(target->ref<PWDrawableObject>());
    if (!event.optionKey() && m_style)
        dropStyle(*target, delegate);
    else
        pickUpStyle(*target, point);
    invalidateCursorsOf(layer);
    return 0;
}

void PWXStylePickUpTool::dropStyle(PWDrawableObject& target, PWToolUndoDelegate* delegate)
{
    // A locked object, a style the object does not take, or the style it already has: no edit,
    // and no undo step named after one.
    if (target.locked())
        return;
    QVariant value = pf::toVariant(m_style);
    pf::Error error;
    if (!target.validateStyle(&value, &error))
        return;
    pf::Ref<PWStyle> style = pf::fromVariant<pf::Ref<PWStyle>>(value);
    pf::Ref<PWStyle> current = target.style();
    if (style == current)
        return;
    if (delegate)
        delegate->toolWillPerformUndoableAction(*this);
    target.setStyle(style);
    if (RVUndoManager* undo = target.undoManager())
        undo->setActionName(QCoreApplication::translate("PWXStylePickUpTool", "Drop Style"));
    if (delegate)
        delegate->toolDidPerformUndoableAction(*this);
}

void PWXStylePickUpTool::pickUpStyle(PWDrawableObject& target, const QPointF& point)
{
    pf::Ref<PWDrawableObject> source = target.ref<PWDrawableObject>();
    if (target.respondsTo(QStringLiteral("objectAtPoint:"))) {
        if (auto member = pf::objectCast<PWDrawableObject>(target.perform(QStringLiteral("objectAtPoint:"), {point})))
            source = member;
    }
    pf::Ref<PWStyle> style = source->style();
    setStyle(style);
    PWObjectCreationTool::setStyleForCreatedObjects(style);
}

void PWXStylePickUpTool::flagsChanged(const PWToolEvent& event, PWLayer* layer)
{
    if (PWDrawing* drawing = layer ? layer->drawing() : (event.view ? event.view->drawing() : nullptr))
        drawing->invalidateCursors();
}

void PWXStylePickUpTool::toolControllerDidSetTool(PWToolController&)
{
    if (performsResetOnSelection())
        setStyle(nullptr);
}

bool PWXStylePickUpTool::isValidTargetLayer(const PWLayer* layer) const
{
    return layer && layer->visible() && !layer->locked() && dynamic_cast<const PWObjectDrawingLayer*>(layer);
}

std::optional<QByteArray> PWXStylePickUpTool::persistentData() const
{
    if (!m_style)
        return std::nullopt;
    return pf::KeyedArchiver::archivedData(m_style);
}

bool PWXStylePickUpTool::shouldLoadPersistentData(const QByteArray& data)
{
    PF_ASSERT(!data.isNull(), "data was nil");
    pf::Error error;
    pf::Ref<PWStyle> loaded;
    try {
        pf::Ref<pf::Object> object = pf::KeyedUnarchiver::unarchiveObject(data, &error);
        loaded = std::dynamic_pointer_cast<PWStyle>(object);
        if (!object)
            throw pf::Exception(QStringLiteral("NSInvalidUnarchiveOperationException"), error.localizedDescription());
    } catch (const pf::Exception& exception) {
        RVLog(kInfoEvent, QStringLiteral("Tool '%1' was unable to load the style - will use default. Exception: %2")
                              .arg(registeredName(), exception.reason()));
        setStyle(nullptr);
        return false;
    }
    if (!loaded) {
        setStyle(nullptr);
        return false;
    }
    // The registry's own copy keeps the held style one with the styles in use.
    pf::Ref<PWStyleRegistry> registry = PWStyleRegistry::sharedRegistry();
    pf::Ref<PWStyle> registered = registry ? registry->styleForKey(loaded->uniqueKey()) : nullptr;
    setStyle(registered ? registered : loaded);
    return true;
}
