#include "frameworks/penwork/layers/PWLayer.h"

#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWLayerGroup.h"
#include "frameworks/penwork/output/PWRenderingOutput.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <QCoreApplication>
#include <QMutex>

#include <cmath>

namespace {

const QString kNameKey = QStringLiteral("pw_layer_name");
const QString kLockedKey = QStringLiteral("pw_layer_locked");
const QString kVisibleKey = QStringLiteral("pw_layer_visible");
const QString kAlphaKey = QStringLiteral("pw_layer_alpha");
const QString kSelectionColourKey = QStringLiteral("pw_layer_selectionColour");

struct SelectionColourRota {
    QMutex mutex;
    QList<QColor> colours{QColor(64, 128, 255), QColor(255, 64, 64),  QColor(0, 170, 0),
                          QColor(255, 128, 0),  QColor(170, 0, 255),  QColor(0, 170, 170),
                          QColor(255, 0, 170),  QColor(128, 128, 0)};
    qsizetype next = 0;

    QColor take()
    {
        QMutexLocker lock(&mutex);
        if (colours.isEmpty())
            return {};
        const QColor colour = colours.at(next % colours.size());
        next = (next + 1) % colours.size();
        return colour;
    }
};

SelectionColourRota& rota()
{
    static SelectionColourRota instance;
    return instance;
}

} // namespace

PF_DEFINE_CLASS(PWLayer, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
    b.property("layerName", &PWLayer::layerName, &PWLayer::setLayerName);
    b.property("locked", &PWLayer::locked, &PWLayer::setLocked);
    b.property("visible", &PWLayer::visible, &PWLayer::setVisible);
    b.property("alpha", &PWLayer::alpha, &PWLayer::setAlpha);
    b.property(
        "selectionColour",
        std::function<QVariant(const PWLayer&)>([](const PWLayer& layer) { return PWLayer::colourValue(layer.selectionColour()); }),
        std::function<void(PWLayer&, const QVariant&)>(
            [](PWLayer& layer, const QVariant& value) { layer.setSelectionColour(PWLayer::colourFromValue(value)); }));
    b.property("drawing", std::function<QVariant(const PWLayer&)>([](const PWLayer& layer) {
                   PWDrawing* drawing = layer.drawing();
                   return drawing ? pf::toVariant(drawing->ref<PWDrawing>()) : QVariant();
               }),
               {});
    b.property("layerGroup", &PWLayer::layerGroup);
    b.property("level", &PWLayer::level);
    b.property("isActiveLayer", &PWLayer::isActiveLayer);
    b.property("countOfObjects", &PWLayer::countOfObjects);
    b.property("shouldDrawToPrinter", &PWLayer::shouldDrawToPrinter);
    b.method("allowsRenaming", &PWLayer::allowsRenaming);
    b.method("layerMayBeDeleted", &PWLayer::layerMayBeDeleted);
    b.method("layerMayBecomeActive", &PWLayer::layerMayBecomeActive);
    b.method("attemptToMakeActive", &PWLayer::attemptToMakeActive);
    b.method("implementsOwnTools", &PWLayer::implementsOwnTools);
    b.method("setNeedsDisplay:", &PWLayer::setNeedsDisplay);
    b.method("setNeedsDisplayInRect:", &PWLayer::setNeedsDisplayInRect);
    b.method("updateRulerMarkersForRect:", &PWLayer::updateRulerMarkersForRect);
    b.method("hideRulerMarkers", &PWLayer::hideRulerMarkers);
    b.method("duplicateLayer", &PWLayer::duplicateLayer);
}

PWLayer::PWLayer() : m_selectionColour(rota().take()) {}

PWLayer::~PWLayer() = default;

void PWLayer::setSelectionColours(const QList<QColor>& colours)
{
    SelectionColourRota& r = rota();
    QMutexLocker lock(&r.mutex);
    r.colours.clear();
    for (const QColor& colour : colours)
        if (colour.isValid())
            r.colours.append(colour);
    r.next = 0;
}

QList<QColor> PWLayer::selectionColours()
{
    SelectionColourRota& r = rota();
    QMutexLocker lock(&r.mutex);
    return r.colours;
}

void PWLayer::setLayerName(const QString& name)
{
    if (name == m_name)
        return;
    if (RVUndoManager* manager = undoManager())
        manager->registerUndo(this, QStringLiteral("setLayerName:"), m_name);
    setObservedValue(m_name, name, QStringLiteral("layerName"));
}

void PWLayer::setLocked(bool locked)
{
    if (locked == m_locked)
        return;
    if (RVUndoManager* manager = undoManager())
        manager->registerUndo(this, QStringLiteral("setLocked:"), m_locked);
    setObservedValue(m_locked, locked, QStringLiteral("locked"));
    redisplay();
}

void PWLayer::setVisible(bool visible)
{
    if (visible == m_visible)
        return;
    if (RVUndoManager* manager = undoManager())
        manager->registerUndo(this, QStringLiteral("setVisible:"), m_visible);
    setObservedValue(m_visible, visible, QStringLiteral("visible"));
    redisplay();
}

void PWLayer::setAlpha(double alpha)
{
    if (std::isnan(alpha))
        return;
    alpha = std::clamp(alpha, 0.0, 1.0);
    if (alpha == m_alpha)
        return;
    if (RVUndoManager* manager = undoManager())
        manager->registerUndo(this, QStringLiteral("setAlpha:"), m_alpha);
    setObservedValue(m_alpha, alpha, QStringLiteral("alpha"));
    redisplay();
}

void PWLayer::setSelectionColour(const QColor& colour)
{
    const QColor stored = colour.isValid() ? colour : QColor();
    if (stored == m_selectionColour)
        return;
    if (RVUndoManager* manager = undoManager()) {
        const QColor old = m_selectionColour;
        manager->registerUndo(this, [this, old] { setSelectionColour(old); });
    }
    setObservedValue(m_selectionColour, stored, QStringLiteral("selectionColour"));
    redisplay();
}

PWDrawing* PWLayer::drawing() const
{
    for (pf::Ref<PWLayerGroup> group = layerGroup(); group; group = group->layerGroup())
        if (auto* drawing = dynamic_cast<PWDrawing*>(group.get()))
            return drawing;
    return nullptr;
}

int PWLayer::level() const
{
    int level = 0;
    for (pf::Ref<PWLayerGroup> group = layerGroup(); group && group->layerGroup(); group = group->layerGroup())
        ++level;
    return level;
}

bool PWLayer::isActiveLayer() const
{
    PWDrawing* drawing = this->drawing();
    return drawing && drawing->activeLayer().get() == this;
}

bool PWLayer::attemptToMakeActive()
{
    PWDrawing* drawing = this->drawing();
    if (!drawing)
        return false;
    if (!isActiveLayer())
        drawing->setActiveLayer(ref<PWLayer>());
    return isActiveLayer();
}

void PWLayer::layerDidBecomeActiveLayer()
{
    // The selection of an active layer is drawn differently.
    redisplay();
}

void PWLayer::layerDidResignActiveLayer()
{
    redisplay();
}

void PWLayer::setNeedsDisplay(bool needsDisplay)
{
    if (!needsDisplay)
        return;
    if (PWDrawing* drawing = this->drawing())
        drawing->drawingNeedsDisplayInRect(QRectF());
}

void PWLayer::setNeedsDisplayInRect(const QRectF& rect)
{
    if (PWDrawing* drawing = this->drawing())
        drawing->drawingNeedsDisplayInRect(rect.normalized());
}

void PWLayer::updateRulerMarkersForRect(const QRectF& rect)
{
    if (PWDrawing* drawing = this->drawing())
        drawing->updateRulerMarkersForRect(rect);
}

void PWLayer::hideRulerMarkers()
{
    if (PWDrawing* drawing = this->drawing())
        drawing->hideRulerMarkers();
}

RVUndoManager* PWLayer::undoManager() const
{
    PWDrawing* drawing = this->drawing();
    return drawing ? drawing->undoManager() : nullptr;
}

pf::Ref<PWLayer> PWLayer::duplicateLayer() const
{
    pf::Error error;
    const QByteArray data = pf::KeyedArchiver::archivedData(std::const_pointer_cast<PWLayer>(ref<PWLayer>()),
                                                            pf::PropertyListFormat::Binary, &error);
    if (data.isEmpty())
        pf::raise(pf::NSInternalInconsistencyException,
                  QStringLiteral("layer '%1' could not be copied: %2").arg(layerName(), error.localizedDescription()));
    auto copy = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWLayer>(data, &error);
    if (!copy)
        pf::raise(pf::NSInternalInconsistencyException,
                  QStringLiteral("layer '%1' could not be copied: %2").arg(layerName(), error.localizedDescription()));
    return copy;
}

void PWLayer::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    coder.encodeString(m_name, kNameKey);
    coder.encodeBool(m_locked, kLockedKey);
    coder.encodeBool(m_visible, kVisibleKey);
    coder.encodeDouble(m_alpha, kAlphaKey);
    if (m_selectionColour.isValid())
        coder.encodeObject(std::make_shared<pf::Color>(m_selectionColour), kSelectionColourKey);
}

void PWLayer::initWithCoder(pf::KeyedUnarchiver& coder)
{
    m_name = coder.decodeString(kNameKey);
    m_locked = coder.decodeBool(kLockedKey);
    m_visible = coder.containsValueForKey(kVisibleKey) ? coder.decodeBool(kVisibleKey) : true;
    const double alpha = coder.containsValueForKey(kAlphaKey) ? coder.decodeDouble(kAlphaKey) : 1.0;
    m_alpha = std::isfinite(alpha) ? std::clamp(alpha, 0.0, 1.0) : 1.0;
    auto colour = coder.decodeObjectOfClass<pf::Color>(kSelectionColourKey);
    m_selectionColour = colour ? colour->qColor() : QColor();
}

QVariant PWLayer::colourValue(const QColor& colour)
{
    return colour.isValid() ? pf::toVariant(std::make_shared<pf::Color>(colour)) : QVariant();
}

QColor PWLayer::colourFromValue(const QVariant& value)
{
    if (auto colour = pf::objectCast<pf::Color>(value))
        return colour->qColor();
    if (value.metaType() == QMetaType::fromType<QColor>())
        return value.value<QColor>();
    return {};
}

QString PWLayer::description() const
{
    return QStringLiteral("<%1 '%2'>").arg(className(), layerName());
}

QByteArray PWLayer::pdf()
{
    return PWRenderingOutput::pdf(*this);
}

// Editing hooks -----------------------------------------------------------------------------------

pf::Ref<pf::Menu> PWLayer::menuForEvent(const QPointF&, QWidget*)
{
    const std::pair<const char*, QString> items[] = {
        {"Cut", kPWCutAction},       {"Copy", kPWCopyAction},
        {"Paste", kPWPasteAction},   {"Delete", kPWDeleteAction},
        {"Select All", kPWSelectAllAction},
    };
    pf::Ref<pf::Menu> menu;
    for (const auto& [title, action] : items) {
        auto item = pf::MenuItem::make(QCoreApplication::translate("PWLayer", title), action);
        if (!validateMenuItem(*item))
            continue;
        if (!menu)
            menu = pf::Menu::make();
        menu->addItem(item);
    }
    return menu;
}

bool PWLayer::validateMenuItem(pf::UserInterfaceItem&) const
{
    return false;
}

bool PWLayer::handlesAction(const QString&) const
{
    return false;
}

bool PWLayer::performAction(const QString& selector, const QString& actionName)
{
    if (selector == kPWCutAction)
        return editCut(actionName);
    if (selector == kPWCopyAction)
        return editCopy();
    if (selector == kPWPasteAction)
        return editPaste(actionName);
    if (selector == kPWDeleteAction)
        return editDelete(actionName);
    if (selector == kPWSelectAllAction)
        return editSelectAll(actionName);
    return false;
}

PWDrawingView* PWLayer::currentView() const
{
    PWDrawing* drawing = this->drawing();
    if (!drawing)
        return nullptr;
    for (PWDrawingViewTarget* controller : drawing->controllers())
        if (auto view = dynamic_cast<PWDrawingView*>(controller ? controller->view() : nullptr))
            return view;
    return nullptr;
}
