#include "drawing/PWDrawingTool+LibraryItemKind.h"

#include "drawing/PWXSymbolTool.h"
#include "frameworks/penwork/tools/PWDrawingTool.h"
#include "frameworks/penwork/tools/PWObjectCreationTool.h"
#include "frameworks/penwork/tools/PWSelectAndEditTool.h"
#include "platform/foundation/Class.h"

namespace {

void answers(pf::Class& cls, int kind)
{
    cls.addClassMethod(QStringLiteral("supportedLibraryItemKind"),
                       [kind](const pf::Class&, const QVariantList&) { return QVariant(kind); });
}

} // namespace

void PWDrawingToolLibraryItemKind::install()
{
    answers(PWDrawingTool::staticClass(), kNone);
    answers(PWObjectCreationTool::staticClass(), kStyles);
    answers(PWSelectAndEditTool::staticClass(), kEverything);
    // The stamp places clip art; it derives from the creation tools, which take styles.
    answers(PWXSymbolTool::staticClass(), kSymbols);
}

int PWDrawingToolLibraryItemKind::supportedLibraryItemKind(const QString& className)
{
    const pf::Class* cls = pf::Class::named(className);
    if (!cls || !cls->respondsToClassMethod(QStringLiteral("supportedLibraryItemKind")))
        return kNone;
    return cls->performClassMethod(QStringLiteral("supportedLibraryItemKind")).toInt();
}
