#pragma once

#include "platform/ui/ColorWell.h"

// Posted with the well as object whenever an RVColorWell is deactivated.
inline const QString kRVColorWellDeactivated = QStringLiteral("kRVColorWellDeactivated");

// A colour well that announces its own deactivation, however it comes (a second click, another
// well activated exclusively, every well deactivated at once).
class RVColorWell : public pf::ColorWell {
    Q_OBJECT
    PF_CLASS(RVColorWell)
public:
    using pf::ColorWell::ColorWell;

    void deactivate() override;
};
