#include "widgets/RVColourPickerView.h"

#include "frameworks/penwork/support/RVInfoFloater.h"

#include "platform/graphics/ColorList.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Application.h"
#include "platform/ui/Bundle.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

PF_DEFINE_CLASS(RVColourPickerView, pf::View) {}

namespace {

constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;

} // namespace

RVColourPickerView::RVColourPickerView(const QRectF& frame, QWidget* parent)
    : pf::View(frame, parent)
{
    setColorForUndefinedSelection(pf::Color::grey());
    mInfWin = RVInfoFloater::infoFloater();
    mInfWin->setWindowOffset(QSizeF(0, 0));
}

RVColourPickerView::~RVColourPickerView()
{
    if (mInfWin && mInfWin->parentWidget() == this) {
        // The floater is shared: it outlives this picker.
        mInfWin->hide();
        mInfWin->setParent(nullptr);
    }
}

void RVColourPickerView::setMode(int mode)
{
    if (mode == mMode)
        return;
    mMode = mode;
    mOriginalMode = mode;
    setNeedsDisplay();
}

void RVColourPickerView::setBrightness(double brightness)
{
    brightness = std::clamp(std::isnan(brightness) ? 0.0 : brightness, 0.0, 1.0);
    if (brightness == mBright)
        return;
    mBright = brightness;
    setNeedsDisplay();
    if (mMode != SwatchMode)
        sendToTarget();
}

void RVColourPickerView::setColorForUndefinedSelection(const pf::Color& colour)
{
    mNonSelectColour = colour.isValid() && !colour.isPattern() ? colour : pf::Color::grey();
    setBrightness(mNonSelectColour.brightnessComponent());
}

// --- Geometry

QRectF RVColourPickerView::wheelRect() const
{
    return bounds().adjusted(4.0, 4.0, -4.0, -4.0);
}

QPointF RVColourPickerView::wheelCentre() const
{
    const QRectF w = wheelRect();
    return QPointF(w.x() + w.width() / 2, w.y() + w.height() / 2);
}

float RVColourPickerView::wheelRadius() const
{
    return float(wheelRect().width() / 2);
}

QRectF RVColourPickerView::swatchDrawingRect(int x, int y) const
{
    const double cw = std::trunc(bounds().width() * 0.0625);
    const double ch = std::trunc(bounds().height() * 0.0625);
    return QRectF(1 + x * cw, 1 + y * ch, cw - 1, ch - 1);
}

QRectF RVColourPickerView::rectForSpectrumPoint(QPointF point) const
{
    return QRectF(point, QSizeF(0, 0)).adjusted(-4.0, -4.0, 4.0, 4.0);
}

QRectF RVColourPickerView::rectForSwatch(QPointF swatch) const
{
    if (mMode != SwatchMode)
        return rectForSpectrumPoint(swatch);
    const double cw = std::trunc(bounds().width() * 0.0625);
    const double ch = std::trunc(bounds().height() * 0.0625);
    return QRectF(1 + swatch.x() * cw, 1 + swatch.y() * ch, cw, ch);
}

QPointF RVColourPickerView::swatchAtPoint(QPointF point) const
{
    const QRectF b = bounds();
    const bool inside = point.x() >= b.left() && point.x() < b.right() && point.y() >= b.top() && point.y() < b.bottom();
    if (!inside)
        return kNoSelection;
    return QPointF(std::trunc(point.x() * kSwatchesPerSide / b.width()), std::trunc(point.y() * kSwatchesPerSide / b.height()));
}

bool RVColourPickerView::pointIsInColourwheel(QPointF point) const
{
    const QPointF c = wheelCentre();
    return std::hypot(point.x() - c.x(), point.y() - c.y()) <= wheelRadius();
}

// --- Colours

pf::Ref<pf::ColorList> RVColourPickerView::swatchList()
{
    static pf::Ref<pf::ColorList> list;
    if (!list) {
        list = pf::ColorList::named(QStringLiteral("Web Safe Colors"));
        if (!list) {
            const QString path = pf::Bundle::main().pathForResource(QStringLiteral("Web Safe Colors"), QStringLiteral("clr"));
            if (!path.isEmpty())
                list = pf::ColorList::fromFile(QStringLiteral("Web Safe Colors"), path);
        }
    }
    return list;
}

pf::Color RVColourPickerView::colorForSwatch(int x, int y) const
{
    const pf::Ref<pf::ColorList> list = swatchList();
    if (!list)
        return {};
    const QStringList keys = list->allKeys();
    if (keys.isEmpty())
        return {};
    const int index = (y * kSwatchesPerSide + x) % int(keys.size());
    return list->colorWithKey(keys[index < 0 ? index + int(keys.size()) : index]);
}

pf::Color RVColourPickerView::colorForSpectrumPoint(QPointF point) const
{
    const QPointF c = wheelCentre();
    const float dx = float(point.x() - c.x());
    const float dy = float(point.y() - c.y());
    const float r = std::hypot(dx, dy);
    float a = std::atan2(dy, dx);
    if (a < 0)
        a += kTwoPi;
    const float radius = wheelRadius();
    if (!(r <= radius) || radius <= 0)
        return mNonSelectColour;
    return pf::Color::withHue(1.0f - a / kTwoPi, r / radius, mBright, 1.0);
}

QPointF RVColourPickerView::pointForSpectrumColor(const pf::Color& colour) const
{
    const float h = float(colour.hueComponent());
    const float s = float(colour.saturationComponent());
    const float a = kTwoPi * (1.0f - h);
    const float radius = wheelRadius();
    const QPointF c = wheelCentre();
    return QPointF(c.x() + std::cos(a) * s * radius, c.y() + std::sin(a) * s * radius);
}

pf::Color RVColourPickerView::color() const
{
    if (mMode != SwatchMode)
        return colorForSpectrumPoint(mSel);
    if (mSel.x() >= 0 && mSel.x() <= 15 && mSel.y() >= 0 && mSel.y() <= 15)
        return colorForSwatch(int(mSel.x()), int(mSel.y()));
    return mNonSelectColour;
}

void RVColourPickerView::sendToTarget()
{
    if (action().isEmpty())
        return;
    pf::Application::shared()->sendAction(action(), target(), senderValue());
}

QVariant RVColourPickerView::senderValue() const
{
    return QVariant::fromValue<QWidget*>(const_cast<RVColourPickerView*>(this));
}

// --- Drawing

const QImage& RVColourPickerView::colourWheelImage()
{
    // Hue by angle (red at the right, growing anticlockwise on screen), saturation by radius,
    // full brightness: the picture the wheel mapping reads back.
    static const QImage image = [] {
        constexpr int size = 512;
        QImage wheel(size, size, QImage::Format_ARGB32_Premultiplied);
        wheel.fill(Qt::transparent);
        const double centre = size / 2.0;
        for (int y = 0; y < size; ++y) {
            auto* line = reinterpret_cast<QRgb*>(wheel.scanLine(y));
            for (int x = 0; x < size; ++x) {
                const double dx = x + 0.5 - centre;
                const double dy = y + 0.5 - centre;
                const double r = std::hypot(dx, dy) / centre;
                if (r > 1.0)
                    continue;
                double a = std::atan2(dy, dx);
                if (a < 0)
                    a += 2 * std::numbers::pi;
                line[x] = QColor::fromHsvF(std::min(1.0 - a / (2 * std::numbers::pi), 0.9999), r, 1.0).rgba();
            }
        }
        return wheel;
    }();
    return image;
}

void RVColourPickerView::drawRect(const QRectF& dirtyRect)
{
    if (mMode == SwatchMode)
        drawSwatches(dirtyRect);
    else
        drawSpectrum(dirtyRect);
}

void RVColourPickerView::drawSwatches(const QRectF& dirtyRect)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    for (int y = 0; y < kSwatchesPerSide; ++y) {
        for (int x = 0; x < kSwatchesPerSide; ++x) {
            const QRectF rect = swatchDrawingRect(x, y);
            if (!rect.intersects(dirtyRect))
                continue;
            const pf::Color colour = colorForSwatch(x, y);
            if (!colour.isValid())
                continue;
            painter.fillRect(rect, colour.brush());
            if (QPointF(x, y) == mSel) {
                painter.save();
                painter.setPen(QPen(Qt::black, 2.0));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(rect.adjusted(1.0, 1.0, -1.0, -1.0));
                painter.restore();
            }
        }
    }
}

void RVColourPickerView::drawSpectrum(const QRectF& dirtyRect)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    const QRectF b = bounds();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addEllipse(b.adjusted(5.0, 5.0, -5.0, -5.0));
    painter.setClipPath(clip, Qt::IntersectClip);
    if (mBright < 1.0)
        painter.fillRect(dirtyRect, Qt::black);
    // Over black, a fainter wheel is a darker one.
    painter.setOpacity(mBright);
    painter.drawImage(b, colourWheelImage());
    painter.setOpacity(1.0);
    painter.setPen(QPen(color().contrastingColor().qColor(), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(rectForSpectrumPoint(mSel).adjusted(0.5, 0.5, -0.5, -0.5));
    painter.restore();
}

// --- Mouse

void RVColourPickerView::mouseDown(const pf::Event& event)
{
    if (mShowsInfo && mInfWin) {
        mInfWin->show();
        updateInfoAtPoint(QPointF(0, 0));
    }
    mouseDragged(event);
}

void RVColourPickerView::mouseDragged(const pf::Event& event)
{
    const QPointF mouse = convertPointFromView(event.locationInWindow, nullptr);
    QPointF p = mouse;
    if (mMode == SwatchMode)
        p = swatchAtPoint(p);
    if (p != mSel) {
        setNeedsDisplayInRect(rectForSwatch(mSel));
        mSel = p;
        setNeedsDisplayInRect(rectForSwatch(mSel));
        sendToTarget();
        if (mMode != SwatchMode && !pointIsInColourwheel(p)) {
            // Out of the wheel the marker rests on the undefined-selection colour.
            mSel = pointForSpectrumColor(mNonSelectColour);
            setBrightness(mNonSelectColour.brightnessComponent());
            setNeedsDisplayInRect(rectForSwatch(mSel));
        }
    }
    // The read-out follows the mouse.
    if (mShowsInfo)
        updateInfoAtPoint(mouse);
}

void RVColourPickerView::mouseUp(const pf::Event&)
{
    if (mInfWin)
        mInfWin->hide();
}

void RVColourPickerView::updateInfoAtPoint(QPointF point)
{
    if (!mInfWin)
        return;
    if (point != kNoSelection)
        mInfWin->positionNearPoint(boundsToWidgetTransform().map(point), this);
    mInfWin->setStringValue(color().hexString());
}

void RVColourPickerView::scrollWheel(const pf::Event& event)
{
    if (mMode == SwatchMode)
        return;
    setBrightness(mBright + float(event.deltaY) / -150.0f);
    updateInfoAtPoint(kNoSelection);
}

void RVColourPickerView::flagsChanged(const pf::Event& event)
{
    if (event.modifierFlags & pf::AlternateKeyMask)
        mMode = mOriginalMode == SpectrumMode ? SwatchMode : SpectrumMode;
    else
        mMode = mOriginalMode;
    setNeedsDisplay();
}

void RVColourPickerView::viewDidMoveToWindow()
{
    if (!windowWidget() && mInfWin)
        mInfWin->hide();
}
