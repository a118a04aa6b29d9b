#include "app/CVLDearchivingHelper.h"

#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "platform/foundation/ClassBuilder.h"
#include "widgets/RVProgressController.h"
#include "widgets/RVProgressViewController.h"

PF_DEFINE_CLASS(CVLDearchivingHelper, PWUnarchivingHelper) {}

CVLDearchivingHelper::~CVLDearchivingHelper()
{
    // A read that ended without its finishing hook must not leave its view behind.
    if (m_progressView)
        m_progressView->endProgress();
}

void CVLDearchivingHelper::unarchiverWillStart(pf::KeyedUnarchiver&)
{
    setProgress(RVProgressController::sharedProgress()->progressViewForDelegate(ref<pf::Object>()));
    if (totalNumberOfObjects() == 0)
        setTotalNumberOfObjects(kDefaultTotal);
}

double CVLDearchivingHelper::progressFractionForProgress(RVProgressViewController& progress, bool shouldCancel)
{
    // Only a cancel is passed on: a poll never takes back a cancel asked for elsewhere.
    if (shouldCancel)
        setCancelled(true);
    const quint64 total = totalNumberOfObjects();
    // Without a count there is nothing to measure against: the bar turns indeterminate.
    if (total == 0) {
        progress.setIndeterminate(true);
        return 0.0;
    }
    const double fraction = double(numberOfObjectsDecoded()) / double(total);
    if (fraction >= 1.0)
        progress.setIndeterminate(true); // decoded; the drawing is still being set up
    return std::min(fraction, kMaximumPolledFraction);
}

void CVLDearchivingHelper::unarchiverDidFinish(pf::KeyedUnarchiver&)
{
    pf::Ref<RVProgressViewController> view = progress();
    if (!view)
        return;
    view->setIndeterminate(true);
    view->setDelegate(nullptr);
    view->endProgress();
}

pf::Class* CVLDearchivingHelper::cannotDecodeObjectOfClassName(pf::KeyedUnarchiver& unarchiver, const QString& name,
                                                               const QStringList& originalClasses)
{
    if (name == QStringLiteral("PWXLabelShape") || name == QStringLiteral("PWXLabelledShape"))
        return &PWDrawableShape::staticClass();
    return PWUnarchivingHelper::cannotDecodeObjectOfClassName(unarchiver, name, originalClasses);
}

pf::Ref<RVProgressViewController> CVLDearchivingHelper::progress() const
{
    std::lock_guard lock(m_mutex);
    return m_progressView;
}

void CVLDearchivingHelper::setProgress(const pf::Ref<RVProgressViewController>& progress)
{
    std::lock_guard lock(m_mutex);
    m_progressView = progress;
}
