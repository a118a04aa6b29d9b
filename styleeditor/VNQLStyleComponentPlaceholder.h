#pragma once

#include "styleeditor/VNQLStyleComponentController.h"

// The pane of every renderer class without a pane of its own: the enable checkbox alone.
class VNQLStyleComponentPlaceholder : public VNQLStyleComponentController {
    PF_CLASS(VNQLStyleComponentPlaceholder)
public:
    explicit VNQLStyleComponentPlaceholder(const QString& nibName = QStringLiteral("VNQLStyleComponentPlaceholder"));

    void loadView() override;
};
