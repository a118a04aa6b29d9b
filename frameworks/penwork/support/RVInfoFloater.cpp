#include "frameworks/penwork/support/RVInfoFloater.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

QPointer<RVInfoFloater>& sharedFloater()
{
    static QPointer<RVInfoFloater> shared;
    return shared;
}

} // namespace

RVInfoFloater* RVInfoFloater::infoFloater()
{
    if (!sharedFloater())
        sharedFloater() = new RVInfoFloater();
    return sharedFloater();
}

void RVInfoFloater::hideInfoFloater()
{
    if (RVInfoFloater* floater = sharedFloater())
        floater->hide();
}

RVInfoFloater::RVInfoFloater(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(255, 255, 225, 235));
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    m_label = new QLabel(this);
    layout->addWidget(m_label);
    QWidget::hide();
}

RVInfoFloater::~RVInfoFloater() = default;

QString RVInfoFloater::formatValue(const QString& format, double value)
{
    static const QRegularExpression pattern(QStringLiteral("[0#][0#,]*(\\.[0#]+)?|\\.[0#]+"));
    const QRegularExpressionMatch match = pattern.match(format);
    if (!std::isfinite(value))
        value = 0.0;
    if (!match.hasMatch())
        return format.isEmpty() ? QString::number(value) : format + QString::number(value);
    const QString digits = match.captured(0);
    const qsizetype dot = digits.indexOf(QLatin1Char('.'));
    const int decimals = dot < 0 ? 0 : int(digits.size() - dot - 1);
    return format.left(match.capturedStart(0)) + QString::number(value, 'f', decimals) +
           format.mid(match.capturedEnd(0));
}

void RVInfoFloater::setFormat(const QString& format)
{
    m_format = format;
    updateText(formatValue(m_format, m_value));
}

void RVInfoFloater::setFloatValue(float value)
{
    m_value = value;
    updateText(formatValue(m_format, value));
}

void RVInfoFloater::setStringValue(const QString& text)
{
    updateText(text);
}

QString RVInfoFloater::text() const
{
    return m_label->text();
}

void RVInfoFloater::updateText(const QString& text)
{
    m_label->setText(text);
    adjustSize();
}

void RVInfoFloater::positionNearPoint(const QPointF& point, QWidget* view)
{
    if (view && parentWidget() != view) {
        const bool wasVisible = isVisible();
        setParent(view);
        setVisible(wasVisible);
    }
    adjustSize();
    QPointF origin = point + QPointF(m_offset.width(), m_offset.height());
    if (QWidget* parent = parentWidget()) {
        // Keep the read-out inside the view: flip to the other side of the point when needed.
        if (origin.x() + width() > parent->width())
            origin.setX(point.x() - m_offset.width() - width());
        if (origin.y() + height() > parent->height())
            origin.setY(point.y() - m_offset.height() - height());
        origin.setX(std::max(0.0, origin.x()));
        origin.setY(std::max(0.0, origin.y()));
    }
    move(origin.toPoint());
    raise();
}

void RVInfoFloater::show()
{
    QWidget::show();
    raise();
}

void RVInfoFloater::hide()
{
    QWidget::hide();
}
