#include "platform/ui/PrintInfo.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <QLocale>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>

PF_DEFINE_CLASS_NAMED(pf::PrintInfo, pf::Object, "pf::PrintInfo")
{
    b.protocol(pf::kCodingProtocol);
    b.property("paperName", &pf::PrintInfo::paperName, &pf::PrintInfo::setPaperName);
    b.property("scalingFactor", &pf::PrintInfo::scalingFactor, &pf::PrintInfo::setScalingFactor);
}

namespace pf {

namespace {

const QString kPaperNameKey = QStringLiteral("NSPaperName");
const QString kPaperSizeKey = QStringLiteral("NSPaperSize");
const QString kOrientationKey = QStringLiteral("NSOrientation");
const QString kLeftMarginKey = QStringLiteral("NSLeftMargin");
const QString kRightMarginKey = QStringLiteral("NSRightMargin");
const QString kTopMarginKey = QStringLiteral("NSTopMargin");
const QString kBottomMarginKey = QStringLiteral("NSBottomMargin");
const QString kHorizontalPaginationKey = QStringLiteral("NSHorizontalPagination");
const QString kVerticalPaginationKey = QStringLiteral("NSVerticalPagination");
const QString kHorizontallyCenteredKey = QStringLiteral("NSHorizontallyCentered");
const QString kVerticallyCenteredKey = QStringLiteral("NSVerticallyCentered");
const QString kScalingFactorKey = QStringLiteral("NSScalingFactor");

// The largest paper anyone prints on is well under this many points a side.
constexpr double kLargestPaper = 20000;

bool isUsablePaper(const QSizeF& size)
{
    return std::isfinite(size.width()) && std::isfinite(size.height()) && size.width() > 0
        && size.height() > 0 && size.width() < kLargestPaper && size.height() < kLargestPaper;
}

bool isUsableMargin(double margin)
{
    return std::isfinite(margin) && margin >= 0 && margin < kLargestPaper;
}

Ref<PrintInfo>& sharedInstance()
{
    static Ref<PrintInfo> shared;
    return shared;
}

QPageSize defaultPageSize()
{
    const QLocale::Territory territory = QLocale().territory();
    const bool letter = territory == QLocale::UnitedStates || territory == QLocale::Canada
        || territory == QLocale::Mexico;
    return QPageSize(letter ? QPageSize::Letter : QPageSize::A4);
}

PrintingPagination paginationFrom(qint32 value)
{
    switch (value) {
    case 1:
        return PrintingPagination::Fit;
    case 2:
        return PrintingPagination::Clip;
    default:
        return PrintingPagination::Automatic;
    }
}

} // namespace

PrintInfo::PrintInfo()
{
    const QPageSize page = defaultPageSize();
    m_paperName = page.key();
    m_paperSize = page.size(QPageSize::Point);
}

Ref<PrintInfo> PrintInfo::sharedPrintInfo()
{
    Ref<PrintInfo>& shared = sharedInstance();
    if (!shared)
        shared = std::make_shared<PrintInfo>();
    return shared;
}

void PrintInfo::setSharedPrintInfo(const Ref<PrintInfo>& info)
{
    sharedInstance() = info;
}

Ref<Object> PrintInfo::copy() const
{
    return std::make_shared<PrintInfo>(*this);
}

void PrintInfo::setPaperName(const QString& name)
{
    for (int id = 0; id <= int(QPageSize::LastPageSize); ++id) {
        const QPageSize page(static_cast<QPageSize::PageSizeId>(id));
        if (page.isValid() && (page.key().compare(name, Qt::CaseInsensitive) == 0
                               || page.name().compare(name, Qt::CaseInsensitive) == 0)) {
            m_paperName = page.key();
            m_paperSize = page.size(QPageSize::Point);
            return;
        }
    }
    m_paperName = name; // a paper of the printer's own; the size stays as it is
}

QSizeF PrintInfo::paperSize() const
{
    return m_orientation == PrintingOrientation::Landscape ? m_paperSize.transposed() : m_paperSize;
}

void PrintInfo::setPaperSize(const QSizeF& size)
{
    if (!isUsablePaper(size))
        return;
    QSizeF portrait = size;
    if (m_orientation == PrintingOrientation::Landscape)
        portrait.transpose();
    m_paperSize = portrait;
    const QPageSize page(portrait, QPageSize::Point, QString(), QPageSize::FuzzyMatch);
    m_paperName = page.id() == QPageSize::Custom ? QStringLiteral("Custom") : page.key();
}

void PrintInfo::setOrientation(PrintingOrientation orientation)
{
    m_orientation = orientation;
}

void PrintInfo::setLeftMargin(double margin)
{
    if (isUsableMargin(margin))
        m_margins.setLeft(margin);
}

void PrintInfo::setRightMargin(double margin)
{
    if (isUsableMargin(margin))
        m_margins.setRight(margin);
}

void PrintInfo::setTopMargin(double margin)
{
    if (isUsableMargin(margin))
        m_margins.setTop(margin);
}

void PrintInfo::setBottomMargin(double margin)
{
    if (isUsableMargin(margin))
        m_margins.setBottom(margin);
}

void PrintInfo::setScalingFactor(double factor)
{
    if (std::isfinite(factor) && factor > 0 && factor < 1000)
        m_scaling = factor;
}

QRectF PrintInfo::imageableRect() const
{
    const QSizeF paper = paperSize();
    const double width = qMax(0.0, paper.width() - m_margins.left() - m_margins.right());
    const double height = qMax(0.0, paper.height() - m_margins.top() - m_margins.bottom());
    return QRectF(m_margins.left(), m_margins.top(), width, height);
}

QRectF PrintInfo::imageablePageBounds() const
{
    const QSizeF paper = paperSize();
    const QMarginsF m = paperMargins();
    return QRectF(m.left(), m.top(), qMax(0.0, paper.width() - m.left() - m.right()),
                  qMax(0.0, paper.height() - m.top() - m.bottom()));
}

QMarginsF PrintInfo::paperMargins() const
{
    const QPrinterInfo printerInfo = QPrinterInfo::defaultPrinter();
    if (printerInfo.isNull())
        return {};
    QPrinter printer(printerInfo, QPrinter::HighResolution);
    applyTo(printer);
    // The printer's least margins: the part of the paper it cannot mark.
    return printer.pageLayout().minimumMargins();
}

QPageLayout PrintInfo::pageLayout() const
{
    const QPageSize page(m_paperSize, QPageSize::Point, QString(), QPageSize::FuzzyMatch);
    QPageLayout layout(page,
                       m_orientation == PrintingOrientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       m_margins, QPageLayout::Point);
    layout.setMode(QPageLayout::FullPageMode); // margins are ours, not clipped to the printer's
    layout.setMargins(m_margins);
    return layout;
}

void PrintInfo::setPageLayout(const QPageLayout& layout)
{
    if (!layout.isValid())
        return;
    const QPageSize page = layout.pageSize();
    const QSizeF size = page.size(QPageSize::Point);
    if (isUsablePaper(size)) {
        m_paperSize = size;
        m_paperName = page.id() == QPageSize::Custom ? QStringLiteral("Custom") : page.key();
    }
    m_orientation = layout.orientation() == QPageLayout::Landscape ? PrintingOrientation::Landscape
                                                                    : PrintingOrientation::Portrait;
    const QMarginsF margins = layout.margins(QPageLayout::Point);
    setLeftMargin(margins.left());
    setRightMargin(margins.right());
    setTopMargin(margins.top());
    setBottomMargin(margins.bottom());
}

void PrintInfo::applyTo(QPrinter& printer) const
{
    printer.setFullPage(true);
    printer.setPageLayout(pageLayout());
}

void PrintInfo::encodeWithCoder(KeyedArchiver& coder) const
{
    coder.encodeString(m_paperName, kPaperNameKey);
    coder.encodeSize(m_paperSize, kPaperSizeKey);
    coder.encodeInt32(qint32(m_orientation), kOrientationKey);
    coder.encodeDouble(m_margins.left(), kLeftMarginKey);
    coder.encodeDouble(m_margins.right(), kRightMarginKey);
    coder.encodeDouble(m_margins.top(), kTopMarginKey);
    coder.encodeDouble(m_margins.bottom(), kBottomMarginKey);
    coder.encodeInt32(qint32(m_horizontalPagination), kHorizontalPaginationKey);
    coder.encodeInt32(qint32(m_verticalPagination), kVerticalPaginationKey);
    coder.encodeBool(m_horizontallyCentered, kHorizontallyCenteredKey);
    coder.encodeBool(m_verticallyCentered, kVerticallyCenteredKey);
    coder.encodeDouble(m_scaling, kScalingFactorKey);
}

void PrintInfo::initWithCoder(KeyedUnarchiver& coder)
{
    const QSizeF size = coder.decodeSize(kPaperSizeKey);
    if (isUsablePaper(size)) {
        m_paperSize = size;
        const QString name = coder.decodeString(kPaperNameKey);
        m_paperName = name.isEmpty() ? QStringLiteral("Custom") : name.left(64);
    }
    m_orientation = coder.decodeInt32(kOrientationKey) == 1 ? PrintingOrientation::Landscape
                                                              : PrintingOrientation::Portrait;
    QMarginsF margins = m_margins;
    const QString keys[] = {kLeftMarginKey, kTopMarginKey, kRightMarginKey, kBottomMarginKey};
    double values[4] = {margins.left(), margins.top(), margins.right(), margins.bottom()};
    for (int i = 0; i < 4; ++i) {
        if (coder.containsValueForKey(keys[i])) {
            const double v = coder.decodeDouble(keys[i]);
            if (isUsableMargin(v))
                values[i] = v;
        }
    }
    margins = QMarginsF(values[0], values[1], values[2], values[3]);
    const QSizeF paper = paperSize();
    if (margins.left() + margins.right() < paper.width() && margins.top() + margins.bottom() < paper.height())
        m_margins = margins;
    if (coder.containsValueForKey(kHorizontalPaginationKey))
        m_horizontalPagination = paginationFrom(coder.decodeInt32(kHorizontalPaginationKey));
    if (coder.containsValueForKey(kVerticalPaginationKey))
        m_verticalPagination = paginationFrom(coder.decodeInt32(kVerticalPaginationKey));
    if (coder.containsValueForKey(kHorizontallyCenteredKey))
        m_horizontallyCentered = coder.decodeBool(kHorizontallyCenteredKey);
    if (coder.containsValueForKey(kVerticallyCenteredKey))
        m_verticallyCentered = coder.decodeBool(kVerticallyCenteredKey);
    if (coder.containsValueForKey(kScalingFactorKey))
        setScalingFactor(coder.decodeDouble(kScalingFactorKey));
}

bool PrintInfo::isEqual(const Reflective* other) const
{
    const auto* info = dynamic_cast<const PrintInfo*>(other);
    return info && info->m_paperName == m_paperName && info->m_paperSize == m_paperSize
        && info->m_orientation == m_orientation && info->m_margins == m_margins
        && info->m_horizontalPagination == m_horizontalPagination
        && info->m_verticalPagination == m_verticalPagination
        && info->m_horizontallyCentered == m_horizontallyCentered
        && info->m_verticallyCentered == m_verticallyCentered && info->m_scaling == m_scaling;
}

} // namespace pf
