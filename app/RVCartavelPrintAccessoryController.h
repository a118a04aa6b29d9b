#pragma once

#include "platform/ui/Button.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/PrintPanelAccessory.h"
#include "platform/ui/ViewController.h"

#include <QPointer>

class PWDrawing;
class PWDrawingView;

namespace pf {
class PrintOperation;
}

// The options tab the print panel shows for documents: fit the drawing to one page, crop
// marks (none, corners, edges), print the graph paper (the drawing's grid layer) and print the
// paper background. The options live in the print operation, its view and its drawing, never
// here: the graph paper and paper background boxes start from the drawing being printed and
// write through to it (graph paper is disabled for a drawing without a grid layer). One shared
// instance serves every print job.
class RVCartavelPrintAccessoryController : public pf::ViewController, public pf::PrintPanelAccessory {
    PF_CLASS(RVCartavelPrintAccessoryController)
public:
    static constexpr int kCropMarksNone = 0;
    static constexpr int kCropMarksCorners = 1;
    static constexpr int kCropMarksEdges = 2;

    RVCartavelPrintAccessoryController();

    static RVCartavelPrintAccessoryController& sharedPrintAccessoryController();

    // The job the options act on (not retained); null when none is running.
    pf::PrintOperation* printOperation() const;
    // Takes a job: its view gets its print info, the fit and crop-mark choices are applied to
    // it, and the graph paper and paper background boxes show its drawing's settings.
    void setPrintOperation(pf::PrintOperation* operation);

    bool fitToSinglePage() const;
    void setFitToSinglePage(bool fit);
    int cropMarks() const;
    void setCropMarks(int kind);
    bool printsGraphPaper() const;
    void setPrintsGraphPaper(bool prints);
    bool printsPaperBackground() const;
    void setPrintsPaperBackground(bool prints);

    void fitToSinglePageAction(const QVariant& sender);
    void cropMarksAction(const QVariant& sender);
    void printGraphPaperAction(const QVariant& sender);
    void printPaperBackgroundAction(const QVariant& sender);

    void loadView() override;
    void awakeFromNib() override;

    // pf::PrintPanelAccessory
    QWidget* accessoryView() override { return view(); }
    QString title() const override;
    QList<QPair<QString, QString>> localizedSummaryItems() const override;
    QStringList keyPathsForValuesAffectingPreview() const override;

    pf::Button* fitToPageCheckbox() const { return mFitToPageCheckbox; }
    pf::Button* printGraphPaperCheckbox() const { return mPrintGraphPaperCheckbox; }
    pf::PopUpButton* cropmarksPopUpButton() const { return mCropmarksPopUpButton; }
    pf::Button* printPaperBackgroundCheckbox() const { return mPrintPaperBackgroundCheckbox; }

private:
    PWDrawingView* printView() const;
    pf::Ref<PWDrawing> drawing() const;
    void reprint(); // hands the print view the operation's print info again
    void showDrawingSettings();

    QPointer<pf::Button> mFitToPageCheckbox;
    QPointer<pf::Button> mPrintGraphPaperCheckbox;
    QPointer<pf::PopUpButton> mCropmarksPopUpButton;
    QPointer<pf::Button> mPrintPaperBackgroundCheckbox;
    pf::Weak<pf::PrintOperation> mPrintOperationRef;
};
