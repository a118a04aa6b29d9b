#include "drawing/PWXSlice.h"

#include "drawing/VNQLSlicesLayer.h"

#include "frameworks/penwork/archiving/PWErrors.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/output/PWRenderingOutput.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/TextMeasurement.h"
#include "platform/graphics/TextTruncation.h"
#include "platform/ui/Bundle.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

#include <QApplication>
#include <QCoreApplication>

#include <cmath>

namespace {

const QString kLayerKey = QStringLiteral("PWXSlice_slicesLayer");
const QString kBoundsKey = QStringLiteral("PWXSlice_bounds");
const QString kTitleKey = QStringLiteral("PWXSlice_title");
const QString kColourKey = QStringLiteral("PWXSlice_colour");
const QString kShowsDimensionsKey = QStringLiteral("PWXSlice_showsDimensions");
const QString kShowsTitleKey = QStringLiteral("PWXSlice_showsTitle");
const QString kVisibleKey = QStringLiteral("PWXSlice_visible");

// The key of the slice in its pasteboard archive.
const QString kPasteboardRootKey = QStringLiteral("slice");

// The horizontal room the title tab gives its text, and its corner radius.
constexpr double kTitlePadding = 8.0;
constexpr double kTitleCornerRadius = 4.0;

bool isFiniteRect(const QRectF& rect)
{
    return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width())
        && std::isfinite(rect.height());
}

QString tr(const char* text)
{
    return QCoreApplication::translate("PWXSlice", text);
}

pf::Error outputError(const QString& reason)
{
    return pf::Error::make(kPWErrorDomain, kPWErrorOutputFailed,
                           tr("The slice could not be rendered."), reason);
}

QSizeF textSize(const QString& text, const QFont& font)
{
    return pf::TextMeasurement::singleLine(text, font).size;
}

} // namespace

PF_DEFINE_CLASS(PWXSlice, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
    b.property("bounds", &PWXSlice::bounds, &PWXSlice::setBounds);
    b.property("xLocation", &PWXSlice::xLocation, &PWXSlice::setXLocation);
    b.property("yLocation", &PWXSlice::yLocation, &PWXSlice::setYLocation);
    b.property("width", &PWXSlice::width, &PWXSlice::setWidth);
    b.property("height", &PWXSlice::height, &PWXSlice::setHeight);
    b.keyPathsAffecting("xLocation", {QStringLiteral("bounds")});
    b.keyPathsAffecting("yLocation", {QStringLiteral("bounds")});
    b.keyPathsAffecting("width", {QStringLiteral("bounds")});
    b.keyPathsAffecting("height", {QStringLiteral("bounds")});
    b.keyPathsAffecting("size", {QStringLiteral("bounds")});
    b.property("visible", &PWXSlice::isVisible, &PWXSlice::setVisible);
    b.property("showsDimensions", &PWXSlice::showsDimensions, &PWXSlice::setShowsDimensions);
    b.property("showsTitle", &PWXSlice::showsTitle, &PWXSlice::setShowsTitle);
    b.property(
        "colour", std::function<QVariant(const PWXSlice&)>([](const PWXSlice& slice) { return PWLayer::colourValue(slice.colour()); }),
        std::function<void(PWXSlice&, const QVariant&)>(
            [](PWXSlice& slice, const QVariant& value) { slice.setColour(PWLayer::colourFromValue(value)); }));
    b.property("title", &PWXSlice::title, &PWXSlice::setTitle);
    b.property("identifier", &PWXSlice::identifier, &PWXSlice::setIdentifier);
    b.property("locked", &PWXSlice::locked, &PWXSlice::setLocked);
    b.property("index", &PWXSlice::index);
    b.property("name", &PWXSlice::name);
    b.keyPathsAffecting("name", {QStringLiteral("title")});
    b.property("size", &PWXSlice::size);
    b.property("extent", &PWXSlice::extent);
    b.property("resizeRect", &PWXSlice::resizeRect);
    b.method("copy:", static_cast<void (PWXSlice::*)(const QVariant&)>(&PWXSlice::copy));
    b.method("delete:", &PWXSlice::deleteAction);
    b.method("zoomToSlice:", &PWXSlice::zoomToSlice);
    b.method("removeFromLayer", &PWXSlice::removeFromLayer);
    b.method("setNeedsDisplay", &PWXSlice::setNeedsDisplay);
    b.initializer([] { pf::Pasteboard::registerReadableClass(PWXSlice::staticClass(), {PWXSlice::privatePasteboardType()}); });
}

QString PWXSlice::privatePasteboardType()
{
    return QStringLiteral("org.quillory.Quillory.private.slice");
}

PWXSlice::PWXSlice()
{
    staticClass().ensureInitialized();
}

PWXSlice::~PWXSlice() = default;

QFont PWXSlice::titleFont()
{
    QFont font = QApplication::font();
    font.setPointSizeF(10.0);
    return font;
}

QFont PWXSlice::dimensionsFont()
{
    QFont font = QApplication::font();
    font.setPointSizeF(10.0);
    return font;
}

QImage PWXSlice::icon()
{
    static const QImage image = pf::Bundle::main().imageForResource(QStringLiteral("VN_Layer_Single_Slice-Template"));
    return image;
}

// Geometry ---------------------------------------------------------------------------------------

void PWXSlice::setBounds(const QRectF& bounds)
{
    if (!isFiniteRect(bounds) || bounds == m_bounds)
        return;
    setNeedsDisplayInRect(extent());
    postBoundsNotification(kVNQLSlicesLayerSliceBoundsWillChange);
    setObservedValue(m_bounds, bounds, QStringLiteral("bounds"));
    setNeedsDisplayInRect(extent());
    postBoundsNotification(kVNQLSlicesLayerSliceBoundsDidChange);
}

void PWXSlice::setXLocation(double x)
{
    setBounds(QRectF(x, m_bounds.y(), m_bounds.width(), m_bounds.height()));
}

void PWXSlice::setYLocation(double y)
{
    setBounds(QRectF(m_bounds.x(), y, m_bounds.width(), m_bounds.height()));
}

void PWXSlice::setWidth(double width)
{
    setBounds(QRectF(m_bounds.x(), m_bounds.y(), width, m_bounds.height()));
}

void PWXSlice::setHeight(double height)
{
    setBounds(QRectF(m_bounds.x(), m_bounds.y(), m_bounds.width(), height));
}

QRectF PWXSlice::extent() const
{
    return m_bounds.adjusted(-kExtentOutset, -kExtentOutset, kExtentOutset, kExtentOutset);
}

QRectF PWXSlice::resizeRect() const
{
    return QRectF(m_bounds.right() - kResizeHandleSize, m_bounds.bottom() - kResizeHandleSize, kResizeHandleSize,
                  kResizeHandleSize);
}

// Appearance -------------------------------------------------------------------------------------

void PWXSlice::setVisible(bool visible)
{
    if (visible == m_visible)
        return;
    setObservedValue(m_visible, visible, QStringLiteral("visible"));
    setNeedsDisplay();
}

void PWXSlice::setShowsDimensions(bool shows)
{
    if (shows == m_showsDimensions)
        return;
    setObservedValue(m_showsDimensions, shows, QStringLiteral("showsDimensions"));
    setNeedsDisplay();
}

void PWXSlice::setShowsTitle(bool shows)
{
    if (shows == m_showsTitle)
        return;
    setObservedValue(m_showsTitle, shows, QStringLiteral("showsTitle"));
    setNeedsDisplay();
}

void PWXSlice::setColour(const QColor& colour)
{
    if (!colour.isValid() || colour == m_colour)
        return;
    setObservedValue(m_colour, colour, QStringLiteral("colour"));
    setNeedsDisplay();
}

void PWXSlice::setTitle(const QString& title)
{
    if (title == m_title && title.isNull() == m_title.isNull())
        return;
    setObservedValue(m_title, title, QStringLiteral("title"));
    setNeedsDisplay();
}

// The layer --------------------------------------------------------------------------------------

VNQLSlicesLayer* PWXSlice::slicesLayer() const
{
    return m_layerAlive.expired() ? nullptr : m_layer;
}

void PWXSlice::setSlicesLayer(VNQLSlicesLayer* layer)
{
    m_layer = layer;
    m_layerAlive = layer ? layer->livenessToken() : std::weak_ptr<void>();
}

PWDrawing* PWXSlice::drawing() const
{
    VNQLSlicesLayer* layer = slicesLayer();
    return layer ? layer->drawing() : nullptr;
}

PWDrawingView* PWXSlice::currentView() const
{
    VNQLSlicesLayer* layer = slicesLayer();
    return layer ? layer->currentView() : nullptr;
}

qint64 PWXSlice::index() const
{
    VNQLSlicesLayer* layer = slicesLayer();
    return layer ? layer->indexOfSlice(this) : -1;
}

QString PWXSlice::name() const
{
    return QStringLiteral("%1 %2").arg(m_title).arg(index() + 1);
}

QString PWXSlice::size() const
{
    return QString::asprintf("%.0f x %.0f px", width(), height());
}

void PWXSlice::setNeedsDisplay() const
{
    setNeedsDisplayInRect(extent());
}

void PWXSlice::setNeedsDisplayInRect(const QRectF& rect) const
{
    if (VNQLSlicesLayer* layer = slicesLayer())
        layer->setNeedsDisplayInRect(rect);
}

void PWXSlice::removeFromLayer()
{
    VNQLSlicesLayer* layer = slicesLayer();
    if (pf::Ref<PWXSlice> self = selfRef(); layer && self)
        layer->removeSlice(self);
}

pf::Ref<PWXSlice> PWXSlice::selfRef() const
{
    return std::const_pointer_cast<PWXSlice>(std::static_pointer_cast<const PWXSlice>(weak_from_this().lock()));
}

void PWXSlice::postBoundsNotification(const QString& name)
{
    pf::NotificationCenter::defaultCenter().post(name, slicesLayer(), {{kVNQLSliceKey, pf::toVariant(selfRef())}});
}

// Hit testing and snapping -----------------------------------------------------------------------

int PWXSlice::hitTest(const QPointF& point) const
{
    if (!m_visible)
        return kNoPart;
    const QRectF hitArea = m_bounds.normalized().adjusted(-1.0, -1.0, 1.0, 1.0);
    if (hitArea.contains(point))
        return resizeRect().contains(point) ? kResizePart : kBodyPart;
    return m_titleRect.contains(point) ? kBodyPart : kNoPart;
}

QList<QPointF> PWXSlice::snappingPointsWithOffset(const QSizeF& offset) const
{
    const QRectF r = m_bounds.translated(offset.width(), offset.height());
    const double midX = r.center().x();
    const double midY = r.center().y();
    return {QPointF(r.left(), r.top()),    QPointF(r.right(), r.top()),  QPointF(midX, r.top()),
            QPointF(midX, r.bottom()),     QPointF(r.left(), r.bottom()), QPointF(r.right(), r.bottom()),
            QPointF(r.right(), midY),      QPointF(r.left(), midY)};
}

// Drawing ------------------------------------------------------------------------------------------

void PWXSlice::drawInContext(pf::GraphicsContext& context, bool selected)
{
    context.saveGraphicsState();

    QColor outline = m_colour;
    if (!selected)
        outline.setAlphaF(0.5);

    // Whole device pixels, offset by half a pixel, so the one-pixel dashes stay crisp.
    const QRectF device = context.convertToDevice(m_bounds);
    const QRectF aligned(std::floor(device.x()) - 0.5, std::floor(device.y()) - 0.5, std::ceil(device.width()),
                         std::ceil(device.height()));
    pf::Ref<pf::BezierPath> path = pf::BezierPath::pathWithRect(context.convertFromDevice(aligned));
    path->setLineDash({3.0, 2.0}, 0.0);
    path->setLineWidth(lineWidth());
    path->setLineJoinStyle(pf::BezierPath::LineJoin::Miter);
    context.setStrokeColour(pf::Color(outline));
    context.strokePath(*path);

    if (selected) {
        context.setFillColour(pf::Color(m_colour));
        context.fillRect(resizeRect());
    }

    context.saveGraphicsState();
    if (selected && m_showsDimensions)
        drawDimensionsInContext(context);
    context.restoreGraphicsState();

    if (m_showsTitle)
        drawTitleInContext(context, selected);

    context.restoreGraphicsState();
}

QRectF PWXSlice::widthLabelRect() const
{
    const QSizeF label = textSize(dimensionStringForLength(width()), dimensionsFont());
    if (width() < label.width())
        return {};
    return QRectF(m_bounds.left() + width() / 2.0 - label.width() / 2.0, m_bounds.top() + height(), label.width(),
                  label.height());
}

QRectF PWXSlice::heightLabelRect() const
{
    const QSizeF label = textSize(dimensionStringForLength(height()), dimensionsFont());
    if (height() < label.width())
        return {};
    // Turned a quarter anticlockwise: it stands left of the slice, centred on its middle.
    return QRectF(m_bounds.left() - label.height(), m_bounds.top() + height() / 2.0 - label.width() / 2.0,
                  label.height(), label.width());
}

void PWXSlice::drawDimensionsInContext(pf::GraphicsContext& context)
{
    QPainter& painter = context.painter();
    painter.setFont(dimensionsFont());
    painter.setPen(Qt::black);

    const QString widthLabel = dimensionStringForLength(width());
    const QRectF widthRect = widthLabelRect();
    if (!widthRect.isNull())
        painter.drawText(widthRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, widthLabel);

    const QString heightLabel = dimensionStringForLength(height());
    if (!heightLabelRect().isNull()) {
        const QSizeF label = textSize(heightLabel, dimensionsFont());
        const double tx = m_bounds.left() - label.height();
        const double ty = m_bounds.top() + height() / 2.0;
        painter.save();
        painter.translate(tx, ty);
        painter.rotate(-90.0);
        painter.translate(-tx - label.width() / 2.0, -ty);
        painter.drawText(QRectF(QPointF(tx, ty), label), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         heightLabel);
        painter.restore();
    }
}

PWXSlice::TitleTab PWXSlice::titleTab() const
{
    const QString text = name();
    const QFont font = titleFont();
    const QSizeF measured = textSize(text, font);
    TitleTab tab;
    const double tabWidth = std::min(measured.width() + kTitlePadding, width() + 1.0);
    tab.rect = QRectF(m_bounds.left() - 0.5, m_bounds.top() - measured.height(), std::max(0.0, tabWidth),
                      measured.height());
    tab.text = pf::TextTruncation::truncated(text, font, tab.rect.width(), pf::TextTruncation::Position::Head);
    return tab;
}

void PWXSlice::drawTitleInContext(pf::GraphicsContext& context, bool selected)
{
    const TitleTab tab = titleTab();
    m_titleRect = tab.rect;

    QColor fill = m_colour;
    if (!selected)
        fill.setAlphaF(0.2);
    context.setFillColour(pf::Color(fill));
    context.fillPath(*pf::BezierPath::pathWithRoundedRect(tab.rect, kTitleCornerRadius, kTitleCornerRadius, 0.0, 0.0));

    QPainter& painter = context.painter();
    painter.save();
    painter.setFont(titleFont());
    painter.setPen(selected ? QColor(Qt::white) : QColor(Qt::black));
    painter.drawText(tab.rect, Qt::AlignCenter | Qt::TextSingleLine, tab.text);
    painter.restore();
}

// Output -------------------------------------------------------------------------------------------

QByteArray PWXSlice::pdfData() const
{
    PWDrawing* drawing = this->drawing();
    if (!drawing || m_bounds.isEmpty())
        return {};
    return drawing->pdfDataWithMediaBox(m_bounds);
}

QSize PWXSlice::imagePixelSize(double dpi, double scale) const
{
    if (!std::isfinite(scale) || scale <= 0.0)
        scale = 1.0;
    if (!std::isfinite(dpi) || dpi <= 0.0)
        return {};
    const double w = width() * scale * dpi / 72.0;
    const double h = height() * scale * dpi / 72.0;
    const double limit = PWRenderingOutput::kMaxPixelsPerSide;
    if (!std::isfinite(w) || !std::isfinite(h) || w <= 0.0 || h <= 0.0 || w > limit || h > limit)
        return {};
    return QSize(std::max(1, int(std::lround(w))), std::max(1, int(std::lround(h))));
}

QByteArray PWXSlice::imageData(int format, const QVariantMap& options, double dpi, double scale,
                               pf::ImageColorModel colourSpace, bool drawPaperBackground, pf::Error* error) const
{
    PWDrawing* drawing = this->drawing();
    if (!drawing) {
        pf::fail(error, outputError(tr("The slice belongs to no drawing.")));
        return {};
    }
    const QSize size = imagePixelSize(dpi, scale);
    if (size.isEmpty()) {
        pf::fail(error, outputError(tr("A slice of %1 x %2 points cannot be made at %3 dpi and scale %4.")
                                        .arg(width())
                                        .arg(height())
                                        .arg(dpi)
                                        .arg(scale)));
        return {};
    }
    const pf::Color background = drawPaperBackground ? drawing->paperColour() : pf::Color();
    return drawing->imageDataWithFormat(format, options, pdfData(), colourSpace, m_bounds, size, background, error);
}

pf::Ref<PWDrawing> PWXSlice::extractDrawing() const
{
    PWDrawing* drawing = this->drawing();
    return drawing ? drawing->drawingByExtractingFromRect(m_bounds, 0) : nullptr;
}

// Actions and menu --------------------------------------------------------------------------------

void PWXSlice::copy(const QVariant&)
{
    pf::Ref<pf::Pasteboard> pasteboard = pf::Pasteboard::general();
    pf::Ref<PWXSlice> self = selfRef();
    if (!self)
        return;
    pasteboard->clearContents();
    pasteboard->writeObjects({self});
}

void PWXSlice::deleteAction(const QVariant&)
{
    removeFromLayer();
}

void PWXSlice::zoomToSlice(const QVariant&)
{
    if (VNQLSlicesLayer* layer = slicesLayer())
        layer->zoomToRect(extent());
}

pf::Ref<pf::Menu> PWXSlice::menuForEvent(const QPointF&, QWidget*)
{
    pf::Ref<pf::Menu> menu = pf::Menu::make();
    const auto add = [&](const QString& title, const QString& action) {
        pf::Ref<pf::MenuItem> item = pf::MenuItem::make(title, action);
        item->setTarget(this);
        menu->addItem(item);
    };
    add(tr("Copy Slice"), QStringLiteral("copy:"));
    add(tr("Delete Slice"), QStringLiteral("delete:"));
    add(tr("Zoom To Slice"), QStringLiteral("zoomToSlice:"));
    return menu;
}

// Dimension guides -------------------------------------------------------------------------------

QPair<QPointF, QPointF> PWXSlice::dimensionPointsForMode(int, bool isVertical, const QVariant&) const
{
    if (isVertical)
        return {QPointF(m_bounds.left(), m_bounds.bottom()), QPointF(m_bounds.left(), m_bounds.top())};
    return {QPointF(m_bounds.left(), m_bounds.top()), QPointF(m_bounds.right(), m_bounds.top())};
}

QString PWXSlice::dimensionStringForLength(double length) const
{
    if (VNQLSlicesLayer* layer = slicesLayer())
        return layer->dimensionStringForLength(length);
    return QString::asprintf("%.0f pt", length);
}

// Pasteboard ------------------------------------------------------------------------------------

QStringList PWXSlice::writableTypesForPasteboard(const pf::Pasteboard&) const
{
    QStringList types;
    if (drawing() && !m_bounds.isEmpty())
        types.append(pf::NSPasteboardTypePDF);
    types.append(privatePasteboardType());
    return types;
}

QVariant PWXSlice::pasteboardPropertyListForType(const QString& type) const
{
    if (type == pf::NSPasteboardTypePDF) {
        const QByteArray pdf = pdfData();
        return pdf.isEmpty() ? QVariant() : QVariant(pdf);
    }
    if (type == privatePasteboardType()) {
        const QByteArray data = archivedData();
        return data.isEmpty() ? QVariant() : QVariant(data);
    }
    return {};
}

bool PWXSlice::initWithPasteboardPropertyList(const QVariant& propertyList, const QString& type)
{
    if (type != privatePasteboardType())
        return false;
    QByteArray data;
    if (propertyList.typeId() == QMetaType::QByteArray) {
        data = propertyList.toByteArray();
    } else if (propertyList.isValid()) {
        // The pasteboard hands property-list data over already parsed.
        pf::Error error;
        data = pf::PropertyList::data(propertyList, pf::PropertyListFormat::Binary, &error);
    }
    pf::Ref<PWXSlice> decoded = sliceFromArchivedData(data);
    if (!decoded)
        return false;
    takeStateOf(*decoded);
    return true;
}

bool PWXSlice::canInitWithPasteboard(const pf::Pasteboard& pasteboard)
{
    for (int item = 0; item < pasteboard.itemCount(); ++item)
        if (pasteboard.typesOfItem(item).contains(privatePasteboardType()))
            return true;
    return false;
}

QList<pf::Ref<PWXSlice>> PWXSlice::slicesFromPasteboard(const pf::Pasteboard& pasteboard)
{
    // Decoded from the data rather than taken as the objects written: a paste must never hand
    // back a slice that is still in a layer.
    QList<pf::Ref<PWXSlice>> slices;
    for (int item = 0; item < pasteboard.itemCount(); ++item) {
        if (!pasteboard.typesOfItem(item).contains(privatePasteboardType()))
            continue;
        if (pf::Ref<PWXSlice> slice = sliceFromArchivedData(pasteboard.dataForType(item, privatePasteboardType())))
            slices.append(slice);
    }
    return slices;
}

QByteArray PWXSlice::archivedData(pf::Error* error) const
{
    pf::Ref<PWXSlice> self = selfRef();
    if (!self) {
        pf::fail(error, pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderInvalidValue,
                                        tr("Only a shared slice can be archived.")));
        return {};
    }
    pf::KeyedArchiver archiver(pf::PropertyListFormat::Binary);
    archiver.encodeObject(self, kPasteboardRootKey);
    return archiver.encodedData(error);
}

pf::Ref<PWXSlice> PWXSlice::sliceFromArchivedData(const QByteArray& data, pf::Error* error)
{
    if (data.isEmpty()) {
        pf::fail(error, pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderRead, tr("There is no slice data.")));
        return nullptr;
    }
    pf::KeyedUnarchiver unarchiver(data, error);
    if (!unarchiver.isValid())
        return nullptr;
    pf::Ref<PWXSlice> slice = unarchiver.decodeObjectOfClass<PWXSlice>(kPasteboardRootKey);
    unarchiver.finishDecoding();
    // A slice out of damaged data is not handed out, even when its own object survived.
    if (!slice || !unarchiver.error().isNull()) {
        const pf::Error& reason = unarchiver.error();
        pf::fail(error, reason.isNull() ? pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderValueNotFound,
                                                          tr("The data holds no slice."))
                                        : reason);
        return nullptr;
    }
    return slice;
}

void PWXSlice::takeStateOf(const PWXSlice& other)
{
    m_bounds = other.m_bounds;
    m_visible = other.m_visible;
    m_showsDimensions = other.m_showsDimensions;
    m_showsTitle = other.m_showsTitle;
    m_colour = other.m_colour;
    m_title = other.m_title;
}

// Archiving ------------------------------------------------------------------------------------------

void PWXSlice::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    VNQLSlicesLayer* layer = slicesLayer();
    coder.encodeConditionalObject(layer ? layer->ref<VNQLSlicesLayer>() : nullptr, kLayerKey);
    coder.encodeRect(bounds(), kBoundsKey);
    coder.encodeString(title(), kTitleKey);
    coder.encodeObject(std::make_shared<pf::Color>(colour()), kColourKey);
    coder.encodeBool(showsDimensions(), kShowsDimensionsKey);
    coder.encodeBool(showsTitle(), kShowsTitleKey);
    coder.encodeBool(isVisible(), kVisibleKey);
}

void PWXSlice::initWithCoder(pf::KeyedUnarchiver& coder)
{
    if (pf::Ref<VNQLSlicesLayer> layer = coder.decodeObjectOfClass<VNQLSlicesLayer>(kLayerKey)) {
        setSlicesLayer(layer.get());
        // Slices of an archive without a colour take the layer's.
        const QColor layerColour = layer->selectionColour();
        if (layerColour.isValid())
            m_colour = layerColour;
    }
    const QRectF bounds = coder.decodeRect(kBoundsKey);
    m_bounds = isFiniteRect(bounds) ? bounds : QRectF();
    if (coder.containsValueForKey(kTitleKey))
        m_title = coder.decodeString(kTitleKey);
    if (pf::Ref<pf::Color> colour = coder.decodeObjectOfClass<pf::Color>(kColourKey); colour && colour->qColor().isValid())
        m_colour = colour->qColor();
    m_showsDimensions = coder.containsValueForKey(kShowsDimensionsKey) ? coder.decodeBool(kShowsDimensionsKey) : true;
    m_showsTitle = coder.containsValueForKey(kShowsTitleKey) ? coder.decodeBool(kShowsTitleKey) : true;
    // A hidden slice stays hidden when read back.
    m_visible = coder.containsValueForKey(kVisibleKey) ? coder.decodeBool(kVisibleKey) : true;
}

QString PWXSlice::description() const
{
    return QStringLiteral("<PWXSlice '%1' (%2, %3, %4 x %5)>")
        .arg(name())
        .arg(xLocation())
        .arg(yLocation())
        .arg(width())
        .arg(height());
}
