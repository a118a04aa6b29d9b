#include "app/RVCartavelPrintAccessoryController.h"

#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PrintOperation.h"
#include "platform/ui/TextField.h"

#include <QCoreApplication>

PF_DEFINE_CLASS(RVCartavelPrintAccessoryController, pf::ViewController)
{
    b.property("fitToSinglePage", &RVCartavelPrintAccessoryController::fitToSinglePage,
               &RVCartavelPrintAccessoryController::setFitToSinglePage);
    b.property("cropMarks", &RVCartavelPrintAccessoryController::cropMarks,
               &RVCartavelPrintAccessoryController::setCropMarks);
    b.property("printsGraphPaper", &RVCartavelPrintAccessoryController::printsGraphPaper,
               &RVCartavelPrintAccessoryController::setPrintsGraphPaper);
    b.property("printsPaperBackground", &RVCartavelPrintAccessoryController::printsPaperBackground,
               &RVCartavelPrintAccessoryController::setPrintsPaperBackground);
    b.method("fitToSinglePageAction:", &RVCartavelPrintAccessoryController::fitToSinglePageAction);
    b.method("cropMarksAction:", &RVCartavelPrintAccessoryController::cropMarksAction);
    b.method("printGraphPaperAction:", &RVCartavelPrintAccessoryController::printGraphPaperAction);
    b.method("printPaperBackgroundAction:", &RVCartavelPrintAccessoryController::printPaperBackgroundAction);
}

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("RVCartavelPrintAccessoryController", text);
}

const QString kFitToSinglePage = QStringLiteral("fitToSinglePage");
const QString kCropMarks = QStringLiteral("cropMarks");
const QString kPrintsGraphPaper = QStringLiteral("printsGraphPaper");
const QString kPrintsPaperBackground = QStringLiteral("printsPaperBackground");

bool isOn(const pf::Button* button)
{
    return button && button->state() == pf::ControlState::On;
}

void setOn(pf::Button* button, bool on)
{
    if (button)
        button->setState(on ? pf::ControlState::On : pf::ControlState::Off);
}

bool senderIsOn(const QVariant& sender)
{
    auto* button = qobject_cast<pf::Button*>(pf::Control::fromSender(sender));
    return isOn(button);
}

QString yesNo(bool value)
{
    return value ? tr("Yes") : tr("No");
}

} // namespace

RVCartavelPrintAccessoryController::RVCartavelPrintAccessoryController()
    : pf::ViewController(QStringLiteral("CartavelPrintAccessoryView"))
{
}

RVCartavelPrintAccessoryController& RVCartavelPrintAccessoryController::sharedPrintAccessoryController()
{
    // Made on first use and never released: its widgets must not outlive the application
    // object at exit.
    static auto* shared = new pf::Ref<RVCartavelPrintAccessoryController>(
        std::make_shared<RVCartavelPrintAccessoryController>());
    return **shared;
}

void RVCartavelPrintAccessoryController::loadView()
{
    auto* view = new QWidget;
    view->setMinimumSize(300, 130);
    mFitToPageCheckbox = pf::Button::checkBox(tr("Fit to page"), view);
    mFitToPageCheckbox->setGeometry(10, 8, 280, 22);
    mFitToPageCheckbox->setTarget(this);
    mFitToPageCheckbox->setAction(QStringLiteral("fitToSinglePageAction:"));

    pf::TextField* label = pf::TextField::label(tr("Crop marks:"), view);
    label->setGeometry(10, 40, 120, 20);
    mCropmarksPopUpButton = new pf::PopUpButton(view);
    mCropmarksPopUpButton->setGeometry(134, 36, 150, 26);
    mCropmarksPopUpButton->setAutoenablesItems(false); // every kind can always be chosen
    const std::pair<const char*, int> items[] = {{"None", kCropMarksNone}, {"Corners", kCropMarksCorners}, {"Edges", kCropMarksEdges}};
    for (const auto& [title, tag] : items)
        mCropmarksPopUpButton->addItemWithTitle(tr(title))->setTag(tag);
    mCropmarksPopUpButton->setTarget(this);
    mCropmarksPopUpButton->setAction(QStringLiteral("cropMarksAction:"));

    mPrintGraphPaperCheckbox = pf::Button::checkBox(tr("Graph paper"), view);
    mPrintGraphPaperCheckbox->setGeometry(10, 70, 280, 22);
    mPrintGraphPaperCheckbox->setTarget(this);
    mPrintGraphPaperCheckbox->setAction(QStringLiteral("printGraphPaperAction:"));
    mPrintPaperBackgroundCheckbox = pf::Button::checkBox(tr("Print paper background"), view);
    mPrintPaperBackgroundCheckbox->setGeometry(10, 98, 280, 22);
    mPrintPaperBackgroundCheckbox->setTarget(this);
    mPrintPaperBackgroundCheckbox->setAction(QStringLiteral("printPaperBackgroundAction:"));
    setView(view);
    awakeFromNib();
}

void RVCartavelPrintAccessoryController::awakeFromNib()
{
    mCropmarksPopUpButton->selectItemWithTag(kCropMarksNone);
    setOn(mFitToPageCheckbox, false);
    setOn(mPrintGraphPaperCheckbox, false);
    setOn(mPrintPaperBackgroundCheckbox, printsPaperBackground());
}

// The job ---------------------------------------------------------------------------------------

pf::PrintOperation* RVCartavelPrintAccessoryController::printOperation() const
{
    return mPrintOperationRef.lock().get();
}

PWDrawingView* RVCartavelPrintAccessoryController::printView() const
{
    pf::PrintOperation* operation = printOperation();
    return operation ? qobject_cast<PWDrawingView*>(operation->view()) : nullptr;
}

pf::Ref<PWDrawing> RVCartavelPrintAccessoryController::drawing() const
{
    PWDrawingView* view = printView();
    return view ? view->drawing() : nullptr;
}

void RVCartavelPrintAccessoryController::reprint()
{
    pf::PrintOperation* operation = printOperation();
    if (PWDrawingView* view = printView(); view && operation)
        view->setPrintInfo(operation->printInfo());
}

void RVCartavelPrintAccessoryController::setPrintOperation(pf::PrintOperation* operation)
{
    mPrintOperationRef = operation ? std::static_pointer_cast<pf::PrintOperation>(operation->weak_from_this().lock())
                                   : pf::Ref<pf::PrintOperation>();
    view(); // the controls hold the choices carried from job to job
    if (!operation)
        return;
    reprint();
    setFitToSinglePage(isOn(mFitToPageCheckbox));
    setCropMarks(mCropmarksPopUpButton->selectedItem() ? mCropmarksPopUpButton->selectedItem()->tag() : kCropMarksNone);
    showDrawingSettings();
}

void RVCartavelPrintAccessoryController::showDrawingSettings()
{
    // Graph paper and paper background belong to the drawing: the boxes show this drawing's
    // settings, so nothing of an earlier job is written into it.
    pf::Ref<PWDrawing> drawing = this->drawing();
    const bool hasGrid = drawing && drawing->gridLayer();
    if (mPrintGraphPaperCheckbox)
        mPrintGraphPaperCheckbox->setEnabled(hasGrid);
    setOn(mPrintGraphPaperCheckbox, printsGraphPaper());
    setOn(mPrintPaperBackgroundCheckbox, printsPaperBackground());
}

// The options ---------------------------------------------------------------------------------

bool RVCartavelPrintAccessoryController::fitToSinglePage() const
{
    pf::PrintOperation* operation = printOperation();
    return operation && operation->printInfo()->horizontalPagination() == pf::PrintingPagination::Fit;
}

void RVCartavelPrintAccessoryController::setFitToSinglePage(bool fit)
{
    pf::PrintOperation* operation = printOperation();
    if (!operation)
        return;
    pf::KeyChange change(this, kFitToSinglePage);
    const pf::PrintingPagination pagination = fit ? pf::PrintingPagination::Fit : pf::PrintingPagination::Automatic;
    operation->printInfo()->setHorizontalPagination(pagination);
    operation->printInfo()->setVerticalPagination(pagination);
    reprint();
}

int RVCartavelPrintAccessoryController::cropMarks() const
{
    PWDrawingView* view = printView();
    return view ? view->printCropMarkKind() : kCropMarksNone;
}

void RVCartavelPrintAccessoryController::setCropMarks(int kind)
{
    PWDrawingView* view = printView();
    if (!view)
        return;
    pf::KeyChange change(this, kCropMarks);
    view->setPrintCropMarkKind(kind);
    reprint();
}

bool RVCartavelPrintAccessoryController::printsGraphPaper() const
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    pf::Ref<PWGridLayer> grid = drawing ? drawing->gridLayer() : nullptr;
    return grid && grid->shouldDrawToPrinter();
}

void RVCartavelPrintAccessoryController::setPrintsGraphPaper(bool prints)
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    pf::Ref<PWGridLayer> grid = drawing ? drawing->gridLayer() : nullptr;
    if (!grid)
        return;
    pf::KeyChange change(this, kPrintsGraphPaper);
    grid->setShouldDrawToPrinter(prints);
}

bool RVCartavelPrintAccessoryController::printsPaperBackground() const
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    return drawing && drawing->paperColourIsPrinted();
}

void RVCartavelPrintAccessoryController::setPrintsPaperBackground(bool prints)
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    if (!drawing)
        return;
    pf::KeyChange change(this, kPrintsPaperBackground);
    drawing->setPaperColourIsPrinted(prints);
}

void RVCartavelPrintAccessoryController::fitToSinglePageAction(const QVariant& sender)
{
    setFitToSinglePage(senderIsOn(sender));
}

void RVCartavelPrintAccessoryController::cropMarksAction(const QVariant& sender)
{
    auto* popUp = qobject_cast<pf::PopUpButton*>(pf::Control::fromSender(sender));
    if (popUp && popUp->selectedItem())
        setCropMarks(popUp->selectedItem()->tag());
}

void RVCartavelPrintAccessoryController::printGraphPaperAction(const QVariant& sender)
{
    setPrintsGraphPaper(senderIsOn(sender));
}

void RVCartavelPrintAccessoryController::printPaperBackgroundAction(const QVariant& sender)
{
    setPrintsPaperBackground(senderIsOn(sender));
}

// The panel's summary -------------------------------------------------------------------------

QString RVCartavelPrintAccessoryController::title() const
{
    return tr("Drawing");
}

QList<QPair<QString, QString>> RVCartavelPrintAccessoryController::localizedSummaryItems() const
{
    QString crop;
    switch (cropMarks()) {
    case kCropMarksCorners:
        crop = tr("Corners");
        break;
    case kCropMarksEdges:
        crop = tr("Edges");
        break;
    default:
        crop = tr("None");
        break;
    }
    return {{tr("Fit To Page"), yesNo(fitToSinglePage())},
            {tr("Crop Marks"), crop},
            {tr("Graph Paper"), yesNo(printsGraphPaper())},
            {tr("Print Paper Background"), yesNo(printsPaperBackground())}};
}

QStringList RVCartavelPrintAccessoryController::keyPathsForValuesAffectingPreview() const
{
    return {kFitToSinglePage, kCropMarks, kPrintsGraphPaper, kPrintsPaperBackground};
}
