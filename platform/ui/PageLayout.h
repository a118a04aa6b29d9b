#pragma once

#include "platform/foundation/Object.h"
#include "platform/ui/PrintInfo.h"

#include <functional>

class QWidget;

namespace pf {

// The page set-up dialog (pf::PageSetupDialog) for a print info: paper, orientation and margins. OK stores the
// choice in the print info; Cancel leaves it as it was. Answers kModalResponseOK or
// kModalResponseCancel.
class PageLayout {
public:
    static int runModal(const Ref<PrintInfo>& info);
    static void beginSheet(const Ref<PrintInfo>& info, QWidget* window, std::function<void(int result)> completion);
    // The older form: delegate->perform(didEndSelector, {nil, result, contextInfo}).
    static void beginSheet(const Ref<PrintInfo>& info, QWidget* window, Reflective* delegate,
                           const QString& didEndSelector, const QVariant& contextInfo);

private:
    PageLayout() = delete;
};

} // namespace pf
