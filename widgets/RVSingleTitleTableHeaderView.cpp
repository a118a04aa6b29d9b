#include "widgets/RVSingleTitleTableHeaderView.h"

#include "widgets/TitleAttributes.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ParagraphStyle.h"
#include "platform/graphics/StringDrawing.h"
#include "platform/graphics/SystemColor.h"
#include "platform/ui/Cell.h"
#include "platform/ui/TableView.h"
#include "platform/ui/Window.h"

PF_DEFINE_CLASS(RVSingleTitleTableHeaderView, pf::TableHeaderView) {}

RVSingleTitleTableHeaderView::RVSingleTitleTableHeaderView(QWidget* parent) : pf::TableHeaderView(parent)
{
    setFrameSize(frame().size());
}

RVSingleTitleTableHeaderView::RVSingleTitleTableHeaderView(const QRectF& frame, QWidget* parent)
    : pf::TableHeaderView(frame, parent)
{
    setFrameSize(frame.size());
}

pf::Color RVSingleTitleTableHeaderView::titleColour()
{
    return pf::SystemColor::currentControlTint();
}

const pf::Gradient& RVSingleTitleTableHeaderView::titleBarGradient()
{
    static const pf::Gradient gradient(titleColour(), titleColour().shadowWithLevel(0.15));
    return gradient;
}

const QVariantMap& RVSingleTitleTableHeaderView::titleAttributes()
{
    static const QVariantMap attributes = oneLineTitleAttributes(pf::Font::systemFont(11.0), pf::Color::rgbGrey(0.25), true);
    return attributes;
}

const QVariantMap& RVSingleTitleTableHeaderView::inactiveTitleAttributes()
{
    static const QVariantMap attributes = [] {
        QVariantMap copy = titleAttributes();
        copy.insert(pf::kForegroundColorAttributeName, pf::toVariant(std::make_shared<pf::Color>(pf::Color::grey())));
        return copy;
    }();
    return attributes;
}

void RVSingleTitleTableHeaderView::setTitle(const QString& title)
{
    mTitle = title;
    setNeedsDisplay();
}

void RVSingleTitleTableHeaderView::setDrawsColumnDividers(bool draws)
{
    mDrawColumnDividers = draws;
    setNeedsDisplay();
}

void RVSingleTitleTableHeaderView::setFrameSize(QSizeF size)
{
    pf::TableHeaderView::setFrameSize(QSizeF(size.width(), kHeaderHeight));
}

bool RVSingleTitleTableHeaderView::windowIsKey() const
{
    QWidget* top = window();
    if (!top)
        return false;
    if (auto* platformWindow = qobject_cast<pf::Window*>(top))
        return platformWindow->isKeyWindow();
    return top->isActiveWindow();
}

RVSingleTitleTableHeaderView::TitleLayout RVSingleTitleTableHeaderView::titleLayout(bool key) const
{
    const QRectF r = titleBarRect();
    TitleLayout layout;
    layout.rect = QRectF(r.x() + kTitleInset, r.y() + 1.0, r.width() - 2 * kTitleInset, r.height() + 2.0);
    layout.attributes = key ? titleAttributes() : inactiveTitleAttributes();
    const double width = pf::StringDrawing::size(pf::AttributedString(mTitle, layout.attributes)).width();
    if (width > layout.rect.width()) {
        layout.rect.setWidth(r.width() - kTitleInset);
        auto paragraph = std::make_shared<pf::ParagraphStyle>();
        paragraph->setAlignment(pf::LeftTextAlignment);
        paragraph->setLineBreakMode(pf::LineBreakByTruncatingTail);
        layout.attributes.insert(pf::kParagraphStyleAttributeName, pf::toVariant(paragraph));
        layout.leftAligned = true;
    }
    return layout;
}

QList<double> RVSingleTitleTableHeaderView::columnDividerPositions() const
{
    QList<double> positions;
    pf::TableView* table = tableView();
    if (!table)
        return positions;
    for (int column = 0; column + 1 < table->numberOfColumns(); ++column)
        positions.append(headerRectOfColumn(column).right());
    return positions;
}

void RVSingleTitleTableHeaderView::drawRect(const QRectF& dirtyRect)
{
    Q_UNUSED(dirtyRect)
    drawTitleBar();
}

void RVSingleTitleTableHeaderView::drawColumnDividers()
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    const QRectF r = titleBarRect();
    auto lines = pf::BezierPath::path();
    lines->setLineWidth(0.15);
    for (const double x : columnDividerPositions()) {
        lines->moveTo(QPointF(x, r.top()));
        lines->lineTo(QPointF(x, r.bottom()));
    }
    context->setStrokeColour(pf::Color::blue().shadowWithLevel(0.5));
    if (!lines->isEmpty())
        context->strokePath(*lines);
}

void RVSingleTitleTableHeaderView::drawTitleBar()
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    const QRectF r = titleBarRect();
    const bool key = windowIsKey();
    if (key) {
        titleBarGradient().drawInRect(context->painter(), r, 90.0);
    } else {
        context->setFillColour(pf::Color::veryLightGrey());
        context->fillRect(r);
    }
    if (mDrawColumnDividers)
        drawColumnDividers();
    if (!mTitle.isEmpty()) {
        const TitleLayout layout = titleLayout(key);
        const pf::AttributedString title(mTitle, layout.attributes);
        pf::Cell::drawUpright(layout.rect, [&title](QPainter& painter, const QRectF& local) {
            pf::StringDrawing::draw(painter, title, local);
        });
    }
    auto bottom = pf::BezierPath::path();
    bottom->setLineWidth(0.5);
    bottom->moveTo(QPointF(r.left(), r.top() + r.height()));
    bottom->lineTo(QPointF(r.right(), r.top() + r.height()));
    context->setStrokeColour(pf::Color::blue().shadowWithLevel(0.5));
    context->strokePath(*bottom);
}
