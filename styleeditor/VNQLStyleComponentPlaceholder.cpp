#include "styleeditor/VNQLStyleComponentPlaceholder.h"

#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/View.h"

PF_DEFINE_CLASS(VNQLStyleComponentPlaceholder, VNQLStyleComponentController) {}

VNQLStyleComponentPlaceholder::VNQLStyleComponentPlaceholder(const QString& nibName)
    : VNQLStyleComponentController(nibName.isEmpty() ? QStringLiteral("VNQLStyleComponentPlaceholder") : nibName)
{
}

void VNQLStyleComponentPlaceholder::loadView()
{
    pf::View* view = makeComponentView();
    VNQLPaneControls::finish(view);
    setView(view);
}
