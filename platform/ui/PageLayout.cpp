#include "platform/ui/PageLayout.h"

#include "platform/foundation/Exception.h"
#include "platform/ui/PageSetupDialog.h"
#include "platform/ui/PresentationHook.h"
#include "platform/ui/Sheet.h"


#include <memory>

namespace pf {

namespace {

// Our own dialog rather than QPageSetupDialog: Qt's works only on an installed printer and
// writes its answer back only from exec(), so it could not serve as a sheet nor run on a
// machine without printers.
struct Setup {
    PageSetupDialog* dialog;

    explicit Setup(const PrintInfo& info) : dialog(new PageSetupDialog(info.pageLayout())) {}
    void store(PrintInfo& info) const { info.setPageLayout(dialog->pageLayout()); }
};

} // namespace

int PageLayout::runModal(const Ref<PrintInfo>& info)
{
    if (!info)
        raise(NSInvalidArgumentException, QStringLiteral("The page layout needs a print info"));
    Setup setup(*info);
    std::unique_ptr<QDialog> owner(setup.dialog);
    PresentationHook::presented(setup.dialog);
    if (setup.dialog->exec() != QDialog::Accepted)
        return kModalResponseCancel;
    setup.store(*info);
    return kModalResponseOK;
}

void PageLayout::beginSheet(const Ref<PrintInfo>& info, QWidget* window, std::function<void(int result)> completion)
{
    if (!info)
        raise(NSInvalidArgumentException, QStringLiteral("The page layout needs a print info"));
    if (!window) {
        const int result = runModal(info);
        if (completion)
            completion(result);
        return;
    }
    auto setup = std::make_shared<Setup>(*info);
    Sheet::beginSheet(setup->dialog, window, [info, setup, completion = std::move(completion)](int result) {
        if (result == kModalResponseOK)
            setup->store(*info);
        setup->dialog->deleteLater();
        if (completion)
            completion(result);
    });
}

void PageLayout::beginSheet(const Ref<PrintInfo>& info, QWidget* window, Reflective* delegate,
                            const QString& didEndSelector, const QVariant& contextInfo)
{
    std::function<void(int)> completion;
    if (delegate && !didEndSelector.isEmpty()) {
        std::weak_ptr<void> alive = delegate->livenessToken();
        completion = [alive, delegate, didEndSelector, contextInfo](int result) {
            if (!alive.expired())
                delegate->perform(didEndSelector, {QVariant(), result, contextInfo});
        };
    }
    beginSheet(info, window, std::move(completion));
}

} // namespace pf
