#include "platform/ui/PrintOperation.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Exception.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/PresentationHook.h"
#include "platform/ui/PrintingView.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/View.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryFile>
#include <QTimer>

#include <cmath>
#include <cstdio>

PF_DEFINE_CLASS_NAMED(pf::PrintOperation, pf::Object, "pf::PrintOperation") {}

namespace pf {

namespace {

PrintOperation* g_current = nullptr;

// How far up a page's bottom may be pulled to avoid cutting through something.
constexpr double kHeightAdjustLimit = 0.2;

PrintingView* printingViewOf(QWidget* view)
{
    return dynamic_cast<PrintingView*>(view);
}

class CurrentOperation {
public:
    explicit CurrentOperation(PrintOperation* operation) : m_previous(g_current) { g_current = operation; }
    ~CurrentOperation() { g_current = m_previous; }

private:
    PrintOperation* m_previous;
};

} // namespace

PrintOperation::PrintOperation() : m_printInfo(std::static_pointer_cast<PrintInfo>(PrintInfo::sharedPrintInfo()->copy())) {}

PrintOperation::~PrintOperation() = default;

Ref<PrintOperation> PrintOperation::printOperationWithView(QWidget* view, const Ref<PrintInfo>& info)
{
    auto operation = std::make_shared<PrintOperation>();
    operation->m_view = view;
    if (info)
        operation->m_printInfo = info;
    return operation;
}

PrintOperation* PrintOperation::currentOperation()
{
    return g_current;
}

void PrintOperation::setPrintInfo(const Ref<PrintInfo>& info)
{
    if (info)
        m_printInfo = info;
}

double PrintOperation::printScale() const
{
    double scale = m_printInfo->scalingFactor();
    if (!m_view)
        return scale;
    const QRectF imageable = m_printInfo->imageableRect();
    const QSizeF content = m_view->size();
    if (m_printInfo->horizontalPagination() == PrintingPagination::Fit && content.width() > 0)
        scale = std::min(scale, imageable.width() / content.width());
    if (m_printInfo->verticalPagination() == PrintingPagination::Fit && content.height() > 0)
        scale = std::min(scale, imageable.height() / content.height());
    return scale;
}

QList<QRectF> PrintOperation::pageRects(Error* error) const
{
    if (!m_view) {
        fail(error, Error::make(kPFPrintErrorDomain, kPrintErrorNoPages, QStringLiteral("There is nothing to print.")));
        return {};
    }
    const QSizeF content = m_view->size();
    const QRectF imageable = m_printInfo->imageableRect();
    const double scale = printScale();
    if (content.isEmpty() || imageable.isEmpty() || !(scale > 0)) {
        fail(error, Error::make(kPFPrintErrorDomain, kPrintErrorNoPages,
                                QStringLiteral("The page has no room to print on, or the view is empty.")));
        return {};
    }
    const double pageWidth = imageable.width() / scale;
    const double pageHeight = imageable.height() / scale;

    // Columns: side by side when automatic, one (clipped or fitted) otherwise.
    QList<QPair<double, double>> columns;
    const bool automaticColumns = m_printInfo->horizontalPagination() == PrintingPagination::Automatic;
    const bool automaticRows = m_printInfo->verticalPagination() == PrintingPagination::Automatic;
    const double columnCount = automaticColumns ? std::ceil(content.width() / pageWidth) : 1;
    const double rowBound = automaticRows ? std::ceil(content.height() / (pageHeight * (1 - kHeightAdjustLimit))) : 1;
    if (columnCount * rowBound > kMaximumPageCount) {
        fail(error, Error::make(kPFPrintErrorDomain, kPrintErrorTooManyPages,
                                QStringLiteral("The document would print on too many pages."),
                                QStringLiteral("Scale it down or fit it to the page.")));
        return {};
    }
    if (automaticColumns) {
        for (double x = 0; x < content.width(); x += pageWidth)
            columns.append({x, std::min(pageWidth, content.width() - x)});
    } else {
        columns.append({0, std::min(pageWidth, content.width())});
    }

    QList<QPair<double, double>> rows;
    if (automaticRows) {
        PrintingView* printing = printingViewOf(m_view);
        double top = 0;
        while (top < content.height()) {
            const double proposed = std::min(top + pageHeight, content.height());
            const double limit = std::min(top + pageHeight * (1 - kHeightAdjustLimit), proposed);
            double bottom = printing ? printing->adjustPageHeight(top, proposed, limit) : proposed;
            if (!std::isfinite(bottom))
                bottom = proposed;
            bottom = std::clamp(bottom, limit, proposed);
            if (!(bottom > top))
                bottom = proposed;
            rows.append({top, bottom - top});
            top = bottom;
        }
    } else {
        rows.append({0, std::min(pageHeight, content.height())});
    }

    QList<QRectF> pages;
    for (const auto& [y, h] : rows)
        for (const auto& [x, w] : columns)
            pages.append(QRectF(x, y, w, h));
    return pages;
}

void PrintOperation::drawWidget(QPainter& painter, QWidget* widget, const QRectF& rect)
{
    if (auto* view = qobject_cast<View*>(widget)) {
        const QTransform toWidget = view->boundsToWidgetTransform();
        painter.save();
        painter.setTransform(toWidget, true);
        {
            GraphicsContextScope scope(painter, view->isFlipped(), false);
            view->drawRect(toWidget.inverted().mapRect(rect));
        }
        painter.restore();
        for (QObject* object : widget->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (!child || child->isWindow() || child->isHidden())
                continue;
            const QRectF geometry = child->geometry();
            if (!geometry.intersects(rect))
                continue;
            painter.save();
            painter.translate(geometry.topLeft());
            drawWidget(painter, child, rect.translated(-geometry.topLeft()).intersected(QRectF(QPointF(), geometry.size())));
            painter.restore();
        }
        return;
    }
    widget->ensurePolished();
    widget->render(&painter, QPoint(), QRegion(rect.toAlignedRect()), QWidget::DrawChildren);
}

void PrintOperation::drawPage(QPainter& painter, const QRectF& pageRect, double scale, const QSizeF& paper,
                              const QRectF& imageable)
{
    QPointF placement = imageable.topLeft();
    if (m_printInfo->isHorizontallyCentered() && pageRect.width() * scale < imageable.width())
        placement.rx() += (imageable.width() - pageRect.width() * scale) / 2;
    if (m_printInfo->isVerticallyCentered() && pageRect.height() * scale < imageable.height())
        placement.ry() += (imageable.height() - pageRect.height() * scale) / 2;

    PrintingView* printing = printingViewOf(m_view);
    if (printing) {
        QRectF viewRect = pageRect;
        if (auto* view = qobject_cast<View*>(m_view.data()))
            viewRect = view->boundsToWidgetTransform().inverted().mapRect(pageRect);
        printing->beginPageInRect(viewRect, placement);
    }

    painter.save();
    painter.translate(placement);
    painter.scale(scale, scale);
    painter.setClipRect(QRectF(QPointF(), pageRect.size()));
    painter.translate(-pageRect.topLeft());
    drawWidget(painter, m_view, pageRect);
    painter.restore();

    if (printing) {
        painter.save();
        GraphicsContextScope scope(painter, true, false);
        printing->drawPageBorderWithSize(paper);
        painter.restore();
    }
}

bool PrintOperation::print(QPrinter& printer)
{
    Error error;
    const QList<QRectF> pages = pageRects(&error);
    if (pages.isEmpty()) {
        m_error = error;
        return false;
    }
    CurrentOperation current(this);
    PrintingView* printing = printingViewOf(m_view);
    if (printing)
        printing->beginDocument();
    QPainter painter;
    bool ok = painter.begin(&printer);
    if (ok) {
        // Points from the paper's top-left.
        painter.scale(printer.resolution() / 72.0, printer.resolution() / 72.0);
        const double scale = printScale();
        const QSizeF paper = m_printInfo->paperSize();
        const QRectF imageable = m_printInfo->imageableRect();
        for (int i = 0; i < pages.size() && ok; ++i) {
            if (i > 0)
                ok = printer.newPage();
            if (ok)
                drawPage(painter, pages.at(i), scale, paper, imageable);
        }
        ok = painter.end() && ok;
    }
    if (printing)
        printing->endDocument();
    if (!ok)
        m_error = Error::make(kPFPrintErrorDomain, kPrintErrorOutput, QStringLiteral("The document could not be printed."));
    return ok;
}

bool PrintOperation::printToFile()
{
    const QFileInfo target(m_outputFileName);
    QTemporaryFile temporary(target.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(target.fileName())));
    if (!temporary.open()) {
        m_error = Error::make(kPFPrintErrorDomain, kPrintErrorOutput,
                              QStringLiteral("The file “%1” could not be written.").arg(target.fileName()),
                              temporary.errorString());
        return false;
    }
    // The PDF is the user's file: it takes the umask's mode, not the temporary file's 0600.
    giveUserFileMode(int(temporary.handle()));
    temporary.close();
    QPrinter printer(QPrinter::HighResolution);
    configure(printer);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(temporary.fileName());
    if (!print(printer))
        return false; // the temporary file goes; the old file stays
    // Replaces the old file in one step, so it is never left half written.
    if (std::rename(QFile::encodeName(temporary.fileName()).constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData())
        != 0) {
        m_error = Error::make(kPFPrintErrorDomain, kPrintErrorOutput,
                              QStringLiteral("The file “%1” could not be written.").arg(target.fileName()));
        return false;
    }
    temporary.setAutoRemove(false);
    return true;
}

void PrintOperation::configure(QPrinter& printer) const
{
    m_printInfo->applyTo(printer);
    if (!m_outputFileName.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_outputFileName);
    }
}

bool PrintOperation::printAfterPanel(QPrinter& printer)
{
    // The panel may have changed the paper; the margins stay the document's.
    const QPageLayout chosen = printer.pageLayout();
    QPageLayout layout = m_printInfo->pageLayout();
    layout.setPageSize(chosen.pageSize());
    layout.setOrientation(chosen.orientation());
    m_printInfo->setPageLayout(layout);
    if (!m_outputFileName.isEmpty() || printer.outputFormat() == QPrinter::PdfFormat) {
        if (m_outputFileName.isEmpty())
            m_outputFileName = printer.outputFileName();
        return printToFile();
    }
    return print(printer);
}

bool PrintOperation::runOperation()
{
    if (m_running)
        raise(NSInternalInconsistencyException, QStringLiteral("The print operation is already running"));
    m_running = true;
    struct Running {
        bool& flag;
        ~Running() { flag = false; }
    } running{m_running};
    m_error = Error();
    if (!m_showsPrintPanel) {
        if (!m_outputFileName.isEmpty())
            return printToFile();
        QPrinter printer(QPrinter::HighResolution);
        configure(printer);
        return print(printer);
    }

    QPrinter printer(QPrinter::HighResolution);
    configure(printer);
    std::unique_ptr<QPrintDialog> dialog(m_printPanel.makeDialog(printer));
    PresentationHook::presented(dialog.get());
    const int result = dialog->exec();
    m_printPanel.releaseAccessoryViews();
    if (result != QDialog::Accepted) {
        m_error = Error::make(kPFFoundationErrorDomain, kErrorCancelled, QStringLiteral("Printing was cancelled."));
        return false;
    }
    return printAfterPanel(printer);
}

void PrintOperation::runOperationModalForWindow(QWidget* window, std::function<void(bool success)> completion)
{
    if (!window || !m_showsPrintPanel) {
        const bool success = runOperation();
        if (completion)
            completion(success);
        return;
    }
    if (m_running)
        raise(NSInternalInconsistencyException, QStringLiteral("The print operation is already running"));
    m_running = true;
    m_error = Error();
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    configure(*printer);
    QPrintDialog* dialog = m_printPanel.makeDialog(*printer);
    Ref<Object> keep = weak_from_this().lock();
    Sheet::beginSheet(dialog, window, [this, keep, printer, dialog, completion = std::move(completion)](int result) mutable {
        m_printPanel.releaseAccessoryViews();
        dialog->deleteLater();
        bool success = false;
        if (result == kModalResponseOK)
            success = printAfterPanel(*printer);
        else
            m_error = Error::make(kPFFoundationErrorDomain, kErrorCancelled, QStringLiteral("Printing was cancelled."));
        m_running = false;
        if (completion)
            completion(success);
        Ref<Object> release = std::move(keep); // may end this operation; nothing follows
    });
}

void PrintOperation::runOperationModalForWindow(QWidget* window, Reflective* delegate, const QString& didRunSelector,
                                                const QVariant& contextInfo)
{
    std::function<void(bool)> completion;
    if (delegate && !didRunSelector.isEmpty()) {
        std::weak_ptr<void> alive = delegate->livenessToken();
        std::weak_ptr<Object> self = weak_from_this();
        completion = [alive, self, delegate, didRunSelector, contextInfo](bool success) {
            if (!alive.expired())
                delegate->perform(didRunSelector, {toVariant(self.lock()), success, contextInfo});
        };
    }
    runOperationModalForWindow(window, std::move(completion));
}

} // namespace pf
