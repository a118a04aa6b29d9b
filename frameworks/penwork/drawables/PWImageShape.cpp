#include "frameworks/penwork/drawables/PWImageShape.h"

#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWImageDataManager.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "frameworks/penwork/tracing/ImageVectorizing.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ImageReader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMutex>
#include <QMutexLocker>
#include <QTemporaryFile>
#include <QUrl>

#include <cmath>

namespace {

const QString kDataKey = QStringLiteral("pw_imageShape_data");
const QString kOpacityKey = QStringLiteral("pw_imageShape_opacity");
const QString kScaleKey = QStringLiteral("pw_imageShape_scale");
const QString kOnTopKey = QStringLiteral("pw_imageShape_drawsOnTop");
const QString kCompositingKey = QStringLiteral("pw_imageShape_compositingOperation");
const QString kPresentationKey = QStringLiteral("pw_imageShape_presentationMode");
const QString kCropRectKey = QStringLiteral("pw_imageShape_cropRect");

// The most pixels a side that resampling makes.
constexpr int kMaxResampledSide = 10000;

QMutex s_tracingMutex;
QVariantMap& tracingStore()
{
    static QVariantMap parameters = pw::defaultTracingParameters();
    return parameters;
}

bool finiteRect(const QRectF& r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) && std::isfinite(r.height());
}

QString senderTitle(const QVariant& sender)
{
    if (sender.typeId() == QMetaType::QString)
        return sender.toString();
    if (auto object = pf::objectFromVariant(sender)) {
        try {
            return object->valueForKey(QStringLiteral("title")).toString();
        } catch (const pf::Exception&) {
        }
    }
    return {};
}

} // namespace

PF_DEFINE_CLASS(PWImageShape, PWDrawableShape)
{
    b.protocol(pf::kCodingProtocol);
    b.property("imageData", &PWImageShape::imageData, &PWImageShape::setImageData);
    b.property("imageKey", &PWImageShape::imageKey);
    b.property("image", &PWImageShape::image);
    b.property("imageOpacity", &PWImageShape::imageOpacity, &PWImageShape::setImageOpacity);
    b.property("imageScale", &PWImageShape::imageScale, &PWImageShape::setImageScale);
    b.property("imageDrawsOnTop", &PWImageShape::imageDrawsOnTop, &PWImageShape::setImageDrawsOnTop);
    b.property("compositingOperation", &PWImageShape::compositingOperation, &PWImageShape::setCompositingOperation);
    b.property("imagePresentationMode", &PWImageShape::imagePresentationMode,
               &PWImageShape::setImagePresentationMode);
    b.property("cropRect", &PWImageShape::cropRect, &PWImageShape::setCropRect);
    b.property("resampledAndCroppedImage", &PWImageShape::resampledAndCroppedImage);
    b.keyPathsAffecting("image", {"imageData"});
    b.method("fitToImage:", [](PWImageShape& self, const QVariantList&) {
        self.fitToImage();
        return QVariant();
    });
    b.method("cropImage:", [](PWImageShape& self, const QVariantList&) {
        self.cropImage();
        return QVariant();
    });
    b.method("editImage:", [](PWImageShape& self, const QVariantList&) { return QVariant(self.editImage()); });
    b.method("vectorize:", [](PWImageShape& self, const QVariantList& args) {
        return QVariant(self.vectorize(senderTitle(args.value(0))));
    });
    b.classMethod("tracingParameters",
                  [](const pf::Class&, const QVariantList&) { return QVariant(PWImageShape::tracingParameters()); });
    b.classMethod("setTracingParameters:", [](const pf::Class&, const QVariantList& args) {
        PWImageShape::setTracingParameters(args.value(0).toMap());
        return QVariant();
    });
    b.classMethod("displayName", [](const pf::Class&, const QVariantList&) {
        return QVariant(QCoreApplication::translate("PWImageShape", "Image Shape"));
    });
    b.classMethod("observableKeyPaths", [](const pf::Class&, const QVariantList&) {
        QStringList keys = PWDrawableObject::observableKeyPathsForClass(*PWImageShape::staticClass().superclass());
        keys << "imageOpacity" << "compositingOperation" << "imageDrawsOnTop" << "imageScale";
        return QVariant(keys);
    });
}

// Class settings ----------------------------------------------------------------------------

QVariantMap PWImageShape::tracingParameters()
{
    QMutexLocker lock(&s_tracingMutex);
    return tracingStore();
}

void PWImageShape::setTracingParameters(const QVariantMap& parameters)
{
    // Stored as the tracer will use them, so the sheet never shows a value that is not used.
    const QVariantMap normalized = normalizedTracingParameters(parameters);
    QMutexLocker lock(&s_tracingMutex);
    tracingStore() = normalized;
}

QPainter::CompositionMode PWImageShape::compositionModeForOperation(int operation)
{
    using M = QPainter::CompositionMode;
    static const M modes[] = {
        M::CompositionMode_Clear,           M::CompositionMode_Source,          M::CompositionMode_SourceOver,
        M::CompositionMode_SourceIn,        M::CompositionMode_SourceOut,       M::CompositionMode_SourceAtop,
        M::CompositionMode_DestinationOver, M::CompositionMode_DestinationIn,   M::CompositionMode_DestinationOut,
        M::CompositionMode_DestinationAtop, M::CompositionMode_Xor,
        M::CompositionMode_Darken,     // plus darker: the nearest QPainter has
        M::CompositionMode_SourceOver, // highlight, drawn as source-over
        M::CompositionMode_Plus,            M::CompositionMode_Multiply,        M::CompositionMode_Screen,
        M::CompositionMode_Overlay,         M::CompositionMode_Darken,          M::CompositionMode_Lighten,
        M::CompositionMode_ColorDodge,      M::CompositionMode_ColorBurn,       M::CompositionMode_SoftLight,
        M::CompositionMode_HardLight,       M::CompositionMode_Difference,      M::CompositionMode_Exclusion,
        // hue, saturation, colour and luminosity have no QPainter mode
        M::CompositionMode_SourceOver,      M::CompositionMode_SourceOver,      M::CompositionMode_SourceOver,
        M::CompositionMode_SourceOver,
    };
    static_assert(std::size(modes) == kLastCompositingOperation + 1);
    if (operation < 0 || operation > kLastCompositingOperation)
        return M::CompositionMode_SourceOver;
    return modes[operation];
}

// Life --------------------------------------------------------------------------------------

// An image needs no style to show: a new image shape has none, so the default fill does not
// cover the picture.
PWImageShape::PWImageShape() { setStyle(nullptr); }

PWImageShape::PWImageShape(const QByteArray& imageData)
{
    setStyle(nullptr);
    adoptImageData(imageData);
    const QSizeF natural = m_image.isNull() ? QSizeF() : QSizeF(m_image.size());
    m_size = natural;
    m_location = QPointF(natural.width() / 2.0, natural.height() / 2.0);
    clearBoundsCache();
}

PWImageShape::PWImageShape(const PWImageShape& other)
    : PWDrawableShape(other), m_imageData(other.m_imageData), m_imageKey(other.m_imageKey), m_image(other.m_image),
      m_damaged(other.m_damaged), m_imageOpacity(other.m_imageOpacity), m_imageScale(other.m_imageScale),
      m_imageDrawsOnTop(other.m_imageDrawsOnTop), m_compositingOperation(other.m_compositingOperation),
      m_presentationMode(other.m_presentationMode), m_cropRect(other.m_cropRect)
{
}

PWImageShape::~PWImageShape() { countOutOfManager(); }

pf::Ref<PWImageShape> PWImageShape::imageShapeWithImageData(const QByteArray& imageData)
{
    return std::make_shared<PWImageShape>(imageData);
}

pf::Ref<PWImageShape> PWImageShape::imageShapeWithImage(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        png.clear();
    return std::make_shared<PWImageShape>(png);
}

// Image data --------------------------------------------------------------------------------

void PWImageShape::adoptImageData(const QByteArray& data)
{
    m_imageData = data;
    m_imageKey = PWImageDataManager::keyForImageData(data);
    m_image = data.isEmpty() ? QImage() : pf::ImageReader::read(data);
    m_damaged = !data.isEmpty() && m_image.isNull();
    if (m_damaged)
        PF_LOG("image shape: image data (%lld bytes) does not decode; showing a clear image", qlonglong(data.size()));
    m_cropRect = QRectF(QPointF(), QSizeF(m_image.size()));
    if (m_countedManager) {
        PWImageDataManager* manager = m_countedManagerAlive.expired() ? nullptr : m_countedManager;
        countOutOfManager();
        countInManager(manager);
    }
}

void PWImageShape::setImageData(const QByteArray& data)
{
    if (data == m_imageData || !canEdit())
        return;
    // The crop goes back with the data: registered first, so undone after it.
    registerUndo("setCropRect:", m_cropRect);
    registerUndo("setImageData:", m_imageData);
    performGeometryChange("imageData", [&] {
        pf::KeyChange crop(this, "cropRect");
        adoptImageData(data);
    });
}

QImage PWImageShape::image() const
{
    if (!m_image.isNull())
        return m_image;
    QImage clear(1, 1, QImage::Format_ARGB32_Premultiplied);
    clear.fill(Qt::transparent);
    return clear;
}

bool PWImageShape::imageIsDamaged() const { return m_damaged; }

// Properties --------------------------------------------------------------------------------

void PWImageShape::changeImageProperty(const QString& key, const QString& setter, const QVariant& oldValue,
                                       const std::function<void()>& change)
{
    if (!canEdit())
        return;
    registerUndo(setter, oldValue);
    notifyVisualChange();
    willChangeValueForKey(key);
    change();
    didChangeValueForKey(key);
    notifyVisualChange();
}

void PWImageShape::setImageOpacity(double opacity)
{
    if (!std::isfinite(opacity))
        return;
    opacity = std::clamp(opacity, 0.0, 1.0);
    if (opacity == m_imageOpacity)
        return;
    changeImageProperty("imageOpacity", "setImageOpacity:", m_imageOpacity, [&] { m_imageOpacity = opacity; });
}

void PWImageShape::setImageScale(double scale)
{
    if (!std::isfinite(scale) || scale <= 0.0 || scale == m_imageScale)
        return;
    changeImageProperty("imageScale", "setImageScale:", m_imageScale, [&] { m_imageScale = scale; });
}

void PWImageShape::setImageDrawsOnTop(bool onTop)
{
    if (onTop == m_imageDrawsOnTop)
        return;
    changeImageProperty("imageDrawsOnTop", "setImageDrawsOnTop:", m_imageDrawsOnTop, [&] { m_imageDrawsOnTop = onTop; });
}

void PWImageShape::setCompositingOperation(int operation)
{
    if (operation < 0 || operation > kLastCompositingOperation || operation == m_compositingOperation)
        return;
    changeImageProperty("compositingOperation", "setCompositingOperation:", m_compositingOperation,
                        [&] { m_compositingOperation = operation; });
}

void PWImageShape::setImagePresentationMode(int mode)
{
    if ((mode != kStretchPresentation && mode != kCropPresentation) || mode == m_presentationMode)
        return;
    changeImageProperty("imagePresentationMode", "setImagePresentationMode:", m_presentationMode,
                        [&] { m_presentationMode = mode; });
}

void PWImageShape::setCropRect(const QRectF& rect)
{
    if (!finiteRect(rect))
        return;
    const QRectF whole(QPointF(), QSizeF(m_image.size()));
    QRectF clamped = rect.normalized().intersected(whole);
    if (clamped.isEmpty())
        clamped = whole;
    if (clamped == m_cropRect)
        return;
    changeImageProperty("cropRect", "setCropRect:", m_cropRect, [&] { m_cropRect = clamped; });
}

// Geometry of the picture --------------------------------------------------------------------

QRectF PWImageShape::visibleImageRect() const
{
    if (m_presentationMode != kCropPresentation)
        return m_cropRect;
    const QRectF whole(QPointF(), QSizeF(m_image.size()));
    const QRectF shown(m_cropRect.topLeft(), size() / m_imageScale);
    return shown.intersected(whole);
}

QRectF PWImageShape::imageRectInBox() const
{
    const QSizeF box = size();
    const QPointF corner(-box.width() / 2.0, -box.height() / 2.0);
    if (m_presentationMode != kCropPresentation)
        return QRectF(corner, box);
    const QRectF visible = visibleImageRect();
    return QRectF(corner, visible.size() * m_imageScale);
}

QTransform PWImageShape::boxTransform() const
{
    const QSizeF box = size();
    const double sx = box.width() > 0.0 ? 1.0 / box.width() : 1.0;
    const double sy = box.height() > 0.0 ? 1.0 / box.height() : 1.0;
    return QTransform::fromScale(sx, sy) * transform() * containerTransform();
}

void PWImageShape::fitToImage()
{
    if (m_cropRect.isEmpty())
        return;
    setSize(m_cropRect.size() * m_imageScale);
}

QImage PWImageShape::resampledAndCroppedImage() const
{
    const QRectF visible = visibleImageRect();
    const QRectF target = imageRectInBox();
    if (m_image.isNull() || visible.isEmpty() || target.isEmpty())
        return {};
    QSize pixels(std::max(1, int(std::lround(target.width()))), std::max(1, int(std::lround(target.height()))));
    if (pixels.width() > kMaxResampledSide || pixels.height() > kMaxResampledSide)
        pixels = pixels.scaled(kMaxResampledSide, kMaxResampledSide, Qt::KeepAspectRatio);
    const QImage part = m_image.copy(visible.toAlignedRect());
    if (part.size() == pixels)
        return part;
    return part.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void PWImageShape::cropImage()
{
    if (!canEdit())
        return;
    const QImage shown = resampledAndCroppedImage();
    if (shown.isNull())
        return;
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !shown.save(&buffer, "PNG"))
        return;
    const QRectF inBox = imageRectInBox();
    const QSizeF box = size();
    const QTransform boxToPlace =
        QTransform::fromScale(box.width() > 0 ? 1.0 / box.width() : 1.0, box.height() > 0 ? 1.0 / box.height() : 1.0) *
        transform();
    const QPointF centre = boxToPlace.map(inBox.center());
    // Each step records its own undo.
    setImageData(png);
    setImagePresentationMode(kStretchPresentation);
    setImageScale(1.0);
    setSize(inBox.size());
    setLocation(centre);
}

bool PWImageShape::editImage()
{
    if (m_imageData.isEmpty())
        return false;
    QByteArray format = pf::ImageReader::formatOf(m_imageData);
    if (format.isEmpty())
        format = "png";
    QTemporaryFile file(QDir::temp().filePath(QStringLiteral("quillory-image-XXXXXX.") + QString::fromLatin1(format)));
    // The image application reads the file after we are done here.
    file.setAutoRemove(false);
    if (!file.open() || file.write(m_imageData) != m_imageData.size()) {
        file.remove();
        return false;
    }
    file.close();
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file.fileName()));
}

// Tracing -----------------------------------------------------------------------------------

pf::Ref<PWDrawableObject> PWImageShape::tracedObject() const
{
    const QImage shown = resampledAndCroppedImage();
    if (shown.isNull())
        return nullptr;
    const QVariantMap parameters = tracingParameters();
    const QVariantMap defaults = pw::defaultTracingParameters();
    const int colourMode = parameters.value(pw::kPWTracingParam_colourmode, defaults.value(pw::kPWTracingParam_colourmode)).toInt();
    const int levels = parameters.value(pw::kPWTracingParam_levels, defaults.value(pw::kPWTracingParam_levels)).toInt();
    const QList<pf::Ref<PWTracedVectorObject>> traced =
        colourMode == 0 ? pw::vectorizeToColourWithPrecision(shown, levels, 3, parameters)
                        : pw::vectorizeToGrayscaleWithPrecision(shown, levels, parameters);

    // Pixels of the traced image -> the part of the box it shows -> the shape's placement.
    const QRectF inBox = imageRectInBox();
    const QSizeF box = size();
    QTransform toDrawing = QTransform::fromScale(inBox.width() / shown.width(), inBox.height() / shown.height()) *
                           QTransform::fromTranslate(inBox.left(), inBox.top()) *
                           QTransform::fromScale(box.width() > 0 ? 1.0 / box.width() : 1.0,
                                                 box.height() > 0 ? 1.0 / box.height() : 1.0) *
                           transform();
    QList<pf::Ref<PWDrawableObject>> paths;
    for (const auto& layer : traced) {
        if (!layer || layer->vectorPath()->isEmpty())
            continue;
        auto path = layer->vectorPath()->transformed(toDrawing);
        paths.append(PWDrawablePath::drawablePathWithPath(*path, PWStyle::styleWithFillColour(layer->colour(), pf::Color())));
    }
    if (paths.isEmpty())
        return nullptr;
    if (paths.size() == 1)
        return paths.first();
    return PWShapeGroup::groupWithObjects(paths);
}

bool PWImageShape::vectorize(const QString& actionName)
{
    auto* layer = dynamic_cast<PWObjectOwnerLayer*>(container());
    if (!layer || !canEdit())
        return false;
    pf::Ref<PWDrawableObject> traced = tracedObject();
    if (!traced)
        return false;
    const qint64 index = layer->indexOfObject(this);
    if (index == pf::kNotFound)
        return false;
    const pf::Ref<PWDrawableObject> self = ref<PWDrawableObject>();
    RVUndoManager* manager = undoManager();
    layer->recordSelectionForUndo();
    layer->insertObject(traced, index + 1);
    layer->removeObject(self);
    layer->replaceSelectionWithObject(traced);
    layer->commitSelectionUndoWithActionName(actionName);
    if (manager && !actionName.isEmpty())
        manager->setActionName(actionName);
    return true;
}

// Container and drawing ---------------------------------------------------------------------

void PWImageShape::countInManager(PWImageDataManager* manager)
{
    if (!manager || m_imageData.isEmpty())
        return;
    m_countedKey = manager->addImageData(m_imageData);
    m_countedManager = manager;
    m_countedManagerAlive = manager->livenessToken();
}

void PWImageShape::countOutOfManager()
{
    if (m_countedManager && !m_countedManagerAlive.expired())
        m_countedManager->releaseKey(m_countedKey);
    m_countedManager = nullptr;
    m_countedManagerAlive.reset();
    m_countedKey.clear();
}

void PWImageShape::setContainer(PWDrawableContainer* container)
{
    PWDrawableShape::setContainer(container);
    PWDrawableContainer* current = this->container();
    PWImageDataManager* manager = current ? current->imageManager() : nullptr;
    const bool sameManager = manager && manager == m_countedManager && !m_countedManagerAlive.expired();
    if (!sameManager) {
        countOutOfManager();
        countInManager(manager);
    }
}

void PWImageShape::drawContentWithStyle(PWStyle* style)
{
    if (!visible())
        return;
    if (ghosted()) {
        PWDrawableShape::drawContentWithStyle(style);
        return;
    }
    if (m_imageDrawsOnTop) {
        PWDrawableShape::drawContentWithStyle(style);
        drawImage();
    } else {
        drawImage();
        PWDrawableShape::drawContentWithStyle(style);
    }
}

void PWImageShape::drawImage()
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    const QSizeF box = size();
    if (!context || m_image.isNull() || box.width() <= 0.0 || box.height() <= 0.0 || m_imageOpacity <= 0.0)
        return;
    const QRectF source = visibleImageRect();
    const QRectF target = imageRectInBox();
    if (source.isEmpty() || target.isEmpty())
        return;
    pf::GraphicsStateSaver saver(context);
    QPainter& painter = context->painter();
    painter.setClipPath(renderingPath()->toQPainterPath(), Qt::IntersectClip);
    painter.setTransform(boxTransform() * painter.transform());
    painter.setOpacity(painter.opacity() * m_imageOpacity);
    painter.setCompositionMode(compositionModeForOperation(m_compositingOperation));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, !useLowQualityDrawing());
    painter.drawImage(target, m_image, source);
}

bool PWImageShape::hitTest(const QPointF& point) const
{
    // The picture counts as drawn wherever the outline is, style or no style.
    if (renderingPath()->containsPoint(point))
        return true;
    return PWDrawableShape::hitTest(point);
}

QString PWImageShape::displayName() const { return displayNameForClass(objClass()); }

// Copying and archiving ---------------------------------------------------------------------

pf::Ref<pf::Object> PWImageShape::copy() const { return std::make_shared<PWImageShape>(*this); }

void PWImageShape::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWDrawableShape::encodeWithCoder(coder);
    coder.encodeData(m_imageData, kDataKey);
    coder.encodeDouble(m_imageOpacity, kOpacityKey);
    coder.encodeDouble(m_imageScale, kScaleKey);
    coder.encodeBool(m_imageDrawsOnTop, kOnTopKey);
    coder.encodeInt32(m_compositingOperation, kCompositingKey);
    coder.encodeInt32(m_presentationMode, kPresentationKey);
    coder.encodeRect(m_cropRect, kCropRectKey);
}

void PWImageShape::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWDrawableShape::initWithCoder(coder);
    adoptImageData(coder.decodeData(kDataKey));
    const double opacity = coder.decodeDouble(kOpacityKey);
    m_imageOpacity = coder.containsValueForKey(kOpacityKey) && std::isfinite(opacity) ? std::clamp(opacity, 0.0, 1.0) : 1.0;
    const double scale = coder.decodeDouble(kScaleKey);
    m_imageScale = std::isfinite(scale) && scale > 0.0 ? scale : 1.0;
    m_imageDrawsOnTop = coder.decodeBool(kOnTopKey);
    const int operation = coder.containsValueForKey(kCompositingKey) ? coder.decodeInt32(kCompositingKey)
                                                                     : kCompositeSourceOver;
    m_compositingOperation = operation >= 0 && operation <= kLastCompositingOperation ? operation : kCompositeSourceOver;
    const int mode = coder.decodeInt32(kPresentationKey);
    m_presentationMode = mode == kCropPresentation ? kCropPresentation : kStretchPresentation;
    const QRectF crop = coder.decodeRect(kCropRectKey);
    const QRectF whole(QPointF(), QSizeF(m_image.size()));
    if (finiteRect(crop) && !crop.normalized().intersected(whole).isEmpty())
        m_cropRect = crop.normalized().intersected(whole);
    clearBoundsCache();
}
