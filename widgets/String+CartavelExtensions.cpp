#include "widgets/String+CartavelExtensions.h"

#include "platform/foundation/SortDescriptor.h"

int localisedCaseInsensitiveNumericCompare(const QString& a, const QString& b)
{
    // The sort descriptors' standard comparison is this one (the user's collation, case
    // ignored, digits as numbers, whatever the collation backend can do); it reads its texts
    // by key.
    static const QString kText = QStringLiteral("text");
    static const pf::SortDescriptor standard(kText, true, pf::SortDescriptor::Comparison::LocalizedStandardCompare);
    return standard.compareObjects(QVariantMap{{kText, a}}, QVariantMap{{kText, b}});
}
