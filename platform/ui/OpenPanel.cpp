#include "platform/ui/OpenPanel.h"

#include <QFileDialog>
#include <QFileInfo>

PF_DEFINE_CLASS_NAMED(pf::OpenPanel, pf::SavePanel, "pf::OpenPanel") {}

namespace pf {

OpenPanel::OpenPanel() : SavePanel(true)
{
    updateDialogMode();
}

void OpenPanel::setCanChooseFiles(bool can)
{
    m_canChooseFiles = can;
    updateDialogMode();
}

void OpenPanel::setCanChooseDirectories(bool can)
{
    m_canChooseDirectories = can;
    updateDialogMode();
}

void OpenPanel::setAllowsMultipleSelection(bool allows)
{
    m_multiple = allows;
    updateDialogMode();
}

void OpenPanel::updateDialogMode()
{
    QFileDialog* d = dialog();
    if (m_canChooseDirectories && !m_canChooseFiles) {
        d->setFileMode(QFileDialog::Directory);
        d->setOption(QFileDialog::ShowDirsOnly, true);
    } else {
        // Folders, when they may be chosen too, are taken by acceptsAsChosen.
        d->setFileMode(m_multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        d->setOption(QFileDialog::ShowDirsOnly, false);
    }
}

bool OpenPanel::acceptsAsChosen(const QStringList& paths) const
{
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (!info.exists())
            return false;
        if (!info.isDir())
            continue;
        const bool package = !treatsFilePackagesAsDirectories() && isPackage(path);
        if (package ? !m_canChooseFiles : !m_canChooseDirectories)
            return false;
    }
    // Plain files go through the dialog's own checks.
    for (const QString& path : paths)
        if (QFileInfo(path).isDir())
            return true;
    return false;
}

QList<QUrl> OpenPanel::URLs() const
{
    QList<QUrl> urls;
    for (const QString& path : chosenPaths())
        urls.append(QUrl::fromLocalFile(path));
    return urls;
}

} // namespace pf
