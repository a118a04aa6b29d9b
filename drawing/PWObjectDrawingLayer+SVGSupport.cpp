#include "drawing/PWObjectDrawingLayer+SVGSupport.h"

#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/support/RVLog.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "frameworks/penwork/svg/PWSVGImporter.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Exception.h"
#include "platform/ui/DraggingInfo.h"
#include "platform/ui/Pasteboard.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <exception>

namespace {

// A factor below 2^-kMaxHalvings would leave nothing to see.
constexpr int kMaxHalvings = 30;

QString describe(const QList<pf::Ref<PWDrawableObject>>& objects)
{
    QStringList names;
    for (const auto& object : objects)
        names.append(object->description());
    return names.join(QStringLiteral(", "));
}

// The objects of the imported drawing's first object layer, taken out of it so they can join
// another layer.
QList<pf::Ref<PWDrawableObject>> takeImportedObjects(const pf::Ref<PWDrawing>& drawing)
{
    auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(
        drawing->firstLayerOfClass(PWObjectDrawingLayer::staticClass(), true));
    if (!layer)
        return {};
    const QList<pf::Ref<PWDrawableObject>> objects(layer->objects().begin(), layer->objects().end());
    // The imported drawing is thrown away: its undo history need not hear of this.
    RVUndoManager* undo = drawing->undoManager();
    if (undo)
        undo->disableUndoRegistration();
    layer->removeObjectsInArray(objects);
    drawing->removeLayer(layer);
    if (undo)
        undo->enableUndoRegistration();
    return objects;
}

} // namespace

void PWObjectDrawingLayerSVGSupport::install()
{
    PWObjectDrawingLayer::staticClass().addMethod(
        QStringLiteral("performFileDropOperation:"), [](pf::Reflective& self, const QVariantList& args) {
            const auto* info = args.value(0).value<const pf::DraggingInfo*>();
            return QVariant(info && performFileDropOperation(static_cast<PWObjectDrawingLayer&>(self), *info));
        });
}

bool PWObjectDrawingLayerSVGSupport::performFileDropOperation(PWObjectDrawingLayer& layer, const pf::DraggingInfo& info)
{
    pf::Ref<pf::Pasteboard> pasteboard = info.draggingPasteboard();
    if (!pasteboard || !pasteboard->types().contains(pf::NSFilenamesPboardType))
        return false;
    const QVariant list = pasteboard->propertyListForType(pf::NSFilenamesPboardType);
    if (list.typeId() != QMetaType::QVariantList && list.typeId() != QMetaType::QStringList)
        return false;
    const QStringList paths = list.toStringList();
    if (paths.isEmpty())
        return false;
    const QString path = paths.first();
    if (QFileInfo(path).suffix() != QLatin1String("svg"))
        return false;
    RVLog(kFileEvent, QStringLiteral("svg file type dropped, file = %1").arg(path));
    return importSVGGraphicElement(layer, path, info);
}

bool PWObjectDrawingLayerSVGSupport::importSVGGraphicElement(PWObjectDrawingLayer& layer, const QString& path,
                                                             const pf::DraggingInfo& info)
{
    if (layer.locked())
        return false;
    const QUrl url = QUrl::fromLocalFile(path);
    QList<pf::Ref<PWDrawableObject>> objects;
    try {
        pf::Error error;
        if (pf::Ref<PWDrawing> drawing = PWSVGImporter::drawingWithContentsOfSVGFile(path, &error))
            objects = takeImportedObjects(drawing);
        else
            RVLog(kFileEvent, QStringLiteral("svg file not imported: %1 (%2)").arg(path, error.localizedDescription()));
    } catch (const pf::Exception& exception) {
        RVLog(kFileEvent, QStringLiteral("an exception was raised while converting SVG file: %1, url = %2")
                              .arg(exception.reason(), url.toString()));
        return false;
    } catch (const std::exception& exception) {
        RVLog(kFileEvent, QStringLiteral("an exception was raised while converting SVG file: %1, url = %2")
                              .arg(QString::fromUtf8(exception.what()), url.toString()));
        return false;
    }

    pf::Ref<PWDrawableObject> object;
    if (objects.size() >= 2) {
        object = PWShapeGroup::groupWithObjects(objects);
        RVLog(kFileEvent, QStringLiteral("Created group with SVG objects %1").arg(describe(objects)));
    } else if (objects.size() == 1) {
        object = objects.first();
    }
    if (!object)
        return false;

    layer.recordSelectionForUndo();
    if (PWDrawing* drawing = layer.drawing()) {
        const QSizeF size = object->logicalBounds().size();
        const QSizeF limit = drawing->drawingSize();
        const double factor = shrinkFactor(size.width(), size.height(), limit.width(), limit.height());
        if (factor < 1.0)
            object->resizeWidthBy(factor, factor);
    }
    PWDrawingView* view = layer.currentView();
    const QPointF location = view ? view->convertPointFromView(info.draggingLocation(), nullptr) : info.draggingLocation();
    if (std::isfinite(location.x()) && std::isfinite(location.y()))
        object->setLocation(location);

    RVUndoManager* undo = layer.undoManager();
    if (undo)
        undo->beginUndoGrouping();
    layer.addObject(object);
    layer.replaceSelectionWithObject(object);
    layer.commitSelectionUndoWithActionName(QCoreApplication::translate("PWObjectDrawingLayer", "Drop SVG Graphic"));
    if (undo) {
        undo->endUndoGrouping();
        undo->setActionName(QCoreApplication::translate("PWObjectDrawingLayer", "Drop SVG Graphic"));
    }
    return true;
}

double PWObjectDrawingLayerSVGSupport::shrinkFactor(double width, double height, double limitWidth, double limitHeight)
{
    if (!(limitWidth > 0.0) || !(limitHeight > 0.0) || !std::isfinite(limitWidth) || !std::isfinite(limitHeight) ||
        !std::isfinite(width) || !std::isfinite(height))
        return 1.0;
    const double ratio = std::max(width / limitWidth, height / limitHeight);
    if (!(ratio > 1.0))
        return 1.0;
    // Halving n times fits once 2^n >= ratio; computed at once, never looped.
    const int halvings = std::min(kMaxHalvings, int(std::ceil(std::log2(ratio))));
    return std::ldexp(1.0, -halvings);
}
