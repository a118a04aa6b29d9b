#include "drawing/PWRasterizer+CartavelExtensions.h"

#include "frameworks/penwork/renderers/PWArrowStroke.h"
#include "frameworks/penwork/renderers/PWCIFilterRastGroup.h"
#include "frameworks/penwork/renderers/PWFillPattern.h"
#include "frameworks/penwork/renderers/PWHatching.h"
#include "frameworks/penwork/renderers/PWImageAdornment.h"
#include "frameworks/penwork/renderers/PWPathDecorator.h"
#include "frameworks/penwork/renderers/PWQuartzBlendRastGroup.h"
#include "frameworks/penwork/renderers/PWRoughStroke.h"
#include "frameworks/penwork/renderers/PWTextAdornment.h"
#include "frameworks/penwork/renderers/PWZigZagFill.h"
#include "frameworks/penwork/renderers/PWZigZagStroke.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWRastGroup.h"
#include "frameworks/penwork/styles/PWRasterizer.h"
#include "frameworks/penwork/styles/PWStroke.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/Class.h"

#include <QCoreApplication>

namespace {

void named(pf::Class& cls, const char* name)
{
    cls.addClassMethod(QStringLiteral("displayName"), [name](const pf::Class&, const QVariantList&) {
        return QVariant(QCoreApplication::translate("PWRasterizer", name));
    });
}

} // namespace

void PWRasterizerCartavelExtensions::install()
{
    PWRasterizer::staticClass().addClassMethod(QStringLiteral("displayName"), [](const pf::Class& cls, const QVariantList&) {
        return QVariant(QCoreApplication::translate("PWRasterizer", cls.name().toUtf8().constData()));
    });
    named(PWStroke::staticClass(), "Stroke");
    named(PWFill::staticClass(), "Fill");
    named(PWTextAdornment::staticClass(), "Label Adornment");
    named(PWArrowStroke::staticClass(), "Arrow Stroke");
    named(PWRoughStroke::staticClass(), "Rough Stroke");
    named(PWZigZagStroke::staticClass(), "Zig-Zag Stroke");
    named(PWFillPattern::staticClass(), "Pattern Fill");
    named(PWHatching::staticClass(), "Hatch Fill");
    named(PWZigZagFill::staticClass(), "Zig-Zag Fill");
    named(PWPathDecorator::staticClass(), "Path Decorator");
    named(PWImageAdornment::staticClass(), "Image Fill");
    named(PWCIFilterRastGroup::staticClass(), "Core Image Filter Group");
    named(PWQuartzBlendRastGroup::staticClass(), "Blend Mode Group");
    named(PWRastGroup::staticClass(), "Group");
    named(PWStyle::staticClass(), "Style");
}
