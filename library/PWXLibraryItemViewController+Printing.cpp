#include "library/PWXLibraryItemViewController.h"

#include "frameworks/penwork/support/RVLog.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryItem.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ButtonCell.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PopUpButton.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/SystemColor.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/PrintOperation.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/TableColumn.h"
#include "platform/ui/Workspace.h"
#include "widgets/RVIconTextFieldCell.h"
#include "widgets/RVLabelledIconCell.h"
#include "widgets/RVPrintableZDDistributedView.h"
#include "widgets/RVStyleButtonCell.h"

#include <QCoreApplication>
#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibraryItemViewController", text); }

const QString kNameColumn = QStringLiteral("name");
const QString kKindColumn = QStringLiteral("kind");
const QString kLockedColumn = QStringLiteral("locked");
constexpr double kPrintCell = 52.0;

} // namespace

// The browser's class side (sizes, colours, the lock badge, the delete text) and printing.

// --- Class side ------------------------------------------------------------------------------------

double PWXLibraryItemViewController::iconSizeForSizing(int sizing)
{
    switch (sizing) {
    case 0: return 80;
    case 1: return 96;
    case 2: return 128;
    case 3: return 48;
    default: return 96;
    }
}

pf::Color PWXLibraryItemViewController::cellSelectionColour() { return pf::Color(0.89, 0.957, 0.416, 1.0); }

pf::Color PWXLibraryItemViewController::standardBackgroundColour() { return pf::Color(0.95, 0.95, 0.97, 1.0); }

pf::Color PWXLibraryItemViewController::backgroundColourForCode(int code)
{
    switch (code) {
    case 1: return pf::Color(1.0, 1.0, 1.0, 1.0);
    case 2: return pf::Color(0.95, 0.95, 0.95, 1.0);
    case 3: return pf::Color(QColor(Qt::lightGray));
    case 4: return pf::Color(0.0, 0.0, 0.0, 1.0);
    default: return standardBackgroundColour();
    }
}

pf::Ref<pf::Image> PWXLibraryItemViewController::lockBadgeImage()
{
    static pf::Ref<pf::Image> badge = [] {
        pf::Ref<pf::Image> named = pf::Image::imageNamed(QStringLiteral("VN_Not_Editable"));
        pf::Ref<pf::Image> copy = named ? std::static_pointer_cast<pf::Image>(named->copy()) : nullptr;
        if (copy)
            copy->setSize(QSizeF(16, 16));
        return copy;
    }();
    return badge;
}

QByteArray PWXLibraryItemViewController::pdfPreviewForContent(const QList<pf::Ref<PWXLibraryItem>>& content,
                                                              int columns, int sizing)
{
    PF_ASSERT(columns > 0, "number of columns must be > 0");
    if (columns <= 0)
        return {};
    const double side = iconSizeForSizing(sizing);
    const int rows = int((content.size() + columns - 1) / columns);
    const QRectF frame(0, 0, (side + 2) * columns, (side + 2) * std::max(rows, 1));
    // A temporary browser fills an off-screen icon view of exactly that size.
    auto filler = std::make_shared<PWXLibraryItemViewController>();
    auto* view = new ZDDistributedView(frame);
    filler->setIconView(view);
    if (auto* labelled = dynamic_cast<RVLabelledIconCell*>(view->prototype().get()))
        labelled->setEditable(false);
    view->setSizeToFit(false);
    view->setFrame(frame);
    filler->m_iconSizing = -1;
    filler->setIconSizing(sizing);
    filler->setContent(content, false);
    view->setCellSize(QSizeF(side + 2, side + 2));
    view->setContentInset(0);
    view->reloadData();
    return view->dataWithPDFInsideRect(view->bounds());
}

QString PWXLibraryItemViewController::deleteSheetText(const QList<pf::Ref<PWXLibraryItem>>& items)
{
    if (items.isEmpty())
        return {};
    const QString what = items.size() == 1 ? QStringLiteral("\u201C%1\u201D").arg(items.first()->name())
                                           : tr("%1 Items").arg(items.size());
    PWXLibrary* library = items.last()->library();
    return tr("Really delete %1? The items will be permanently removed from the collection \u201C%2\u201D and all of "
              "its categories.\n\nThis operation is not undoable but the items can be recovered from the trash. This "
              "will not affect any documents that are using these items. To remove the items from the category only, "
              "drag them out.")
        .arg(what, library ? library->name() : QString());
}

PWXLibraryItemViewController::PrintLayout PWXLibraryItemViewController::printLayoutForWidth(double printableWidth,
                                                                                           int itemCount)
{
    PrintLayout layout;
    // A page narrower than one cell still prints one column (cut at the edge) rather than none.
    layout.columns = std::max(1, int(std::floor(printableWidth / kPrintCell)));
    layout.rows = itemCount <= 0 ? 0 : (itemCount + layout.columns - 1) / layout.columns;
    layout.width = std::max(printableWidth, kPrintCell);
    layout.height = layout.rows * kPrintCell;
    return layout;
}

double PWXLibraryItemViewController::printableWidth(const pf::PrintInfo& info)
{
    return info.imageablePageBounds().width() - info.leftMargin() - info.rightMargin();
}

RVPrintableZDDistributedView* PWXLibraryItemViewController::makePrintableView(const pf::PrintInfo& info)
{
    const PrintLayout layout = printLayoutForWidth(printableWidth(info), numberOfItemsInContent());
    auto* view = new RVPrintableZDDistributedView(QRectF(0, 0, layout.width, std::max(layout.height, kPrintCell)));
    view->setPrototype(std::make_shared<RVLabelledIconCell>());
    view->setShowsHeaders(true);
    view->setShowsFooters(true);
    view->setSizeToFit(false);
    view->setCellSize(QSizeF(kPrintCell - 2, kPrintCell - 2));
    view->setContentInset(0);
    view->setCellInset(QSizeF(1, 1));
    view->setDataSource(this);
    view->setDelegate(this);
    view->reloadData();
    return view;
}

namespace {

// The items start at the top of the first page, below its header, however short the list.
pf::Ref<pf::PrintInfo> itemPrintInfo(const pf::Ref<pf::PrintInfo>& given)
{
    pf::Ref<pf::PrintInfo> info = std::static_pointer_cast<pf::PrintInfo>(
        (given ? given : pf::PrintInfo::sharedPrintInfo())->copy());
    info->setVerticallyCentered(false);
    return info;
}

} // namespace

void PWXLibraryItemViewController::performPrintWithPrintInfo(const pf::Ref<pf::PrintInfo>& given)
{
    pf::Ref<pf::PrintInfo> info = itemPrintInfo(given);
    RVPrintableZDDistributedView* view = makePrintableView(*info);
    pf::Ref<pf::PrintOperation> operation = pf::PrintOperation::printOperationWithView(view, info);
    operation->setShowsPrintPanel(true);
    pf::Weak<PWXLibraryItemViewController> weakSelf = weak<PWXLibraryItemViewController>();
    QPointer<RVPrintableZDDistributedView> printed = view;
    operation->runOperationModalForWindow(sheetHostWindow(), [weakSelf, printed, operation](bool success) {
        if (auto self = weakSelf.lock())
            if (self->m_delegate)
                self->m_delegate->printOperationDidRun(success, kPrintContext);
        if (printed)
            printed->deleteLater();
    });
}

bool PWXLibraryItemViewController::printToPDF(const pf::Ref<pf::PrintInfo>& given, const QString& path)
{
    pf::Ref<pf::PrintInfo> info = itemPrintInfo(given);
    std::unique_ptr<RVPrintableZDDistributedView> view(makePrintableView(*info));
    pf::Ref<pf::PrintOperation> operation = pf::PrintOperation::printOperationWithView(view.get(), info);
    operation->setShowsPrintPanel(false);
    operation->setOutputFileName(path);
    return operation->runOperation();
}

QString PWXLibraryItemViewController::headerStringForPage(RVPrintableZDDistributedView&, int page)
{
    return m_delegate ? m_delegate->printHeaderStringForPage(page) : QString();
}

QString PWXLibraryItemViewController::footerStringForPage(RVPrintableZDDistributedView&, int page)
{
    return m_delegate ? m_delegate->printFooterStringForPage(page) : QString();
}
