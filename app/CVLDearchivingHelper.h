#pragma once

#include "frameworks/penwork/archiving/PWUnarchivingHelper.h"
#include "widgets/RVProgressDelegate.h"

#include <mutex>

class RVProgressViewController;

// The helper through which the program's drawings are decoded: it reads retired object kinds as
// current ones and shows the decoding's progress in the shared progress window, which polls it.
class CVLDearchivingHelper : public PWUnarchivingHelper, public RVProgressDelegate {
    PF_CLASS(CVLDearchivingHelper)
public:
    // The count shown against when the archive gives none.
    static constexpr quint64 kDefaultTotal = 100;
    // The fraction the poll answers at most, so the poll never ends the view by itself.
    static constexpr double kMaximumPolledFraction = 0.99999;

    CVLDearchivingHelper() = default;
    ~CVLDearchivingHelper() override;

    void unarchiverWillStart(pf::KeyedUnarchiver& unarchiver) override;
    void unarchiverDidFinish(pf::KeyedUnarchiver& unarchiver) override;
    pf::Class* cannotDecodeObjectOfClassName(pf::KeyedUnarchiver& unarchiver, const QString& name,
                                             const QStringList& originalClasses) override;

    double progressFractionForProgress(RVProgressViewController& progress, bool shouldCancel) override;

    pf::Ref<RVProgressViewController> progress() const;
    void setProgress(const pf::Ref<RVProgressViewController>& progress);

private:
    mutable std::mutex m_mutex;
    pf::Ref<RVProgressViewController> m_progressView;
};
