#pragma once

#include "platform/ui/SavePanel.h"

#include <QList>
#include <QUrl>

namespace pf {

// The panel that asks which files or folders to open: files, folders or both, one or
// several, limited to the allowed types. Packages are chosen like files unless they are
// treated as directories.
class OpenPanel : public SavePanel {
    PF_CLASS(OpenPanel)
public:
    OpenPanel();

    bool canChooseFiles() const { return m_canChooseFiles; }
    void setCanChooseFiles(bool can);
    bool canChooseDirectories() const { return m_canChooseDirectories; }
    void setCanChooseDirectories(bool can);
    bool allowsMultipleSelection() const { return m_multiple; }
    void setAllowsMultipleSelection(bool allows);

    // The chosen items after an OK answer; URL() is the first of them.
    QList<QUrl> URLs() const;

protected:
    bool acceptsAsChosen(const QStringList& paths) const override;
    void updateDialogMode() override;

private:
    bool m_canChooseFiles = true;
    bool m_canChooseDirectories = false;
    bool m_multiple = false;
};

} // namespace pf
