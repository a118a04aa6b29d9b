#pragma once

#include "inspectors/VNQLSelectionPane.h"

// The alignment pane: aligns edges and centres of the selection and distributes it.
class VNQL_AlignDistributeController : public VNQLSelectionPane {
    PF_CLASS(VNQL_AlignDistributeController)
public:
    explicit VNQL_AlignDistributeController(const QString& nibName = {});

    void alignTopAction(const QVariant& sender);
    void alignMiddleAction(const QVariant& sender);
    void alignBottomAction(const QVariant& sender);
    void alignLeftAction(const QVariant& sender);
    void alignCenterAction(const QVariant& sender);
    void alignRightAction(const QVariant& sender);
    void distributeVerticalCentres(const QVariant& sender);
    void distributeVerticalSpace(const QVariant& sender);
    void distributeHorizontalCentres(const QVariant& sender);
    void distributeHorizontalSpace(const QVariant& sender);

    void viewWillAppear() override;
    void loadView() override;
    // Shows the pane's help page.
    void alignDistributeHelpAction(const QVariant& sender = {});

    // Distributing needs more than two objects.
    bool distributionEnabled();

private:
    QList<QPointer<pf::Button>> mDistributeButtons;
};
