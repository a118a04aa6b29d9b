#include "app/RVCartavelDocument.h"

#include "app/CVLPrintingView.h"
#include "app/PrintInfo+MarginsThatWork.h"
#include "app/RVCartavelPrintAccessoryController.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/PageLayout.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/PrintOperation.h"
#include "platform/ui/Sheet.h"

#include <QCoreApplication>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("RVCartavelDocument", text);
}

} // namespace

QWidget* RVCartavelDocument::makePrintDrawingView()
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    if (!drawing)
        return nullptr;
    // Made without an automatic drawing: the view shows this document's drawing only.
    const bool automatic = PWDrawingView::shouldCreateAutomaticDrawing();
    PWDrawingView::setShouldCreateAutomaticDrawing(false);
    auto* view = new CVLPrintingView(QRectF(QPointF(), drawing->drawingSize()));
    PWDrawingView::setShouldCreateAutomaticDrawing(automatic);
    view->setDocument(this);
    view->setDrawing(drawing);
    view->setScale(1.0);
    addPrintView(view);
    return view;
}

void RVCartavelDocument::runModalPrintOperation(const pf::Ref<pf::PrintOperation>& operation,
                                                std::function<void(bool printed)> done)
{
    if (!operation)
        return;
    RVCartavelPrintAccessoryController& accessory = RVCartavelPrintAccessoryController::sharedPrintAccessoryController();
    operation->printPanel().addAccessoryController(&accessory);
    accessory.setPrintOperation(operation.get());
    pf::PrintOperation* job = operation.get();
    PWDrawingDocument::runModalPrintOperation(operation, [job, done](bool printed) {
        // The options act on no job once this one is over.
        RVCartavelPrintAccessoryController& options = RVCartavelPrintAccessoryController::sharedPrintAccessoryController();
        if (options.printOperation() == job)
            options.setPrintOperation(nullptr);
        if (done)
            done(printed);
    });
}

void RVCartavelDocument::setPrintInfo(const pf::Ref<pf::PrintInfo>& info)
{
    if (!info)
        return;
    pf::Ref<pf::PrintInfo> previous = printInfo();
    if (pf::UndoManager* undo = undoManagerOrNull()) {
        std::weak_ptr<pf::Object> weakSelf = weak_from_this();
        undo->registerUndo(this, [weakSelf, previous] {
            if (auto self = std::static_pointer_cast<RVCartavelDocument>(weakSelf.lock()))
                self->setPrintInfo(previous);
        });
    }
    // Margins the printer can really print to.
    const QList<double> margins = paperMargins(*info);
    info->setTopMargin(margins.at(0));
    info->setLeftMargin(margins.at(1));
    info->setBottomMargin(margins.at(2));
    info->setRightMargin(margins.at(3));
    pf::Document::setPrintInfo(info);
    setPaperMarginsVisible(paperMarginsVisible());
    // The last page layout set or read becomes the default of new documents.
    pf::UserDefaults::standard().setObject(pf::KeyedArchiver::archivedData(info), kDefaultPrintInfoDefault);
    if (pf::UndoManager* undo = undoManagerOrNull())
        undo->setActionName(tr("Page Setup"));
}

void RVCartavelDocument::runPageLayout(const QVariant&)
{
    auto info = std::static_pointer_cast<pf::PrintInfo>(printInfo()->copy());
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    auto answered = [weakSelf, info](int result) {
        if (result != pf::kModalResponseOK)
            return;
        if (auto self = std::static_pointer_cast<RVCartavelDocument>(weakSelf.lock()))
            self->setPrintInfo(info);
    };
    if (QWidget* window = windowForSheet())
        pf::PageLayout::beginSheet(info, window, answered);
    else
        answered(pf::PageLayout::runModal(info));
}
