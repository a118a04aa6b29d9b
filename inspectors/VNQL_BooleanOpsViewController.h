#pragma once

#include "inspectors/VNQLSelectionPane.h"

// The booleans pane: union, intersection, difference, append and divide of the selection.
class VNQL_BooleanOpsViewController : public VNQLSelectionPane {
    PF_CLASS(VNQL_BooleanOpsViewController)
public:
    explicit VNQL_BooleanOpsViewController(const QString& nibName = {});

    void unionAction(const QVariant& sender);
    void differenceAction(const QVariant& sender);
    void intersectionAction(const QVariant& sender);
    void appendAction(const QVariant& sender);
    void cookieCutterAction(const QVariant& sender);

    void loadView() override;

    // Shows the pane's help page.

    void booleanOpsHelpAction(const QVariant& sender = {});
};
