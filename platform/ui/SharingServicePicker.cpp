#include "platform/ui/SharingServicePicker.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDir>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QWidget>

namespace pf {

namespace {

const QString kMailProgram = QStringLiteral("xdg-email");

} // namespace

QString SharingServicePicker::attachmentFileName(const QString& title)
{
    QString name = title.trimmed();
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    name.replace(QChar(0), QLatin1Char('_'));
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    if (name.isEmpty())
        name = QStringLiteral("Drawing");
    return name + QStringLiteral(".pdf");
}

SharingServicePicker::SharingServicePicker(QByteArray pdf, QString title) : m_pdf(std::move(pdf)), m_title(std::move(title)) {}

QList<SharingServicePicker::Service> SharingServicePicker::services() const
{
    QList<Service> list;
    list.append({QApplication::translate("SharingServicePicker", "Copy"), [this] { return copyToClipboard(); }});
    if (!QStandardPaths::findExecutable(kMailProgram).isEmpty())
        list.append({QApplication::translate("SharingServicePicker", "Email"), [this] { return mail(); }});
    return list;
}

void SharingServicePicker::showRelativeToWidget(QWidget* anchor) const
{
    QMenu menu(anchor);
    const QList<Service> list = services();
    for (const Service& service : list)
        menu.addAction(service.title);
    const QPoint at = anchor ? anchor->mapToGlobal(QPoint(0, anchor->height())) : QCursor::pos();
    if (QAction* chosen = menu.exec(at)) {
        const qsizetype index = menu.actions().indexOf(chosen);
        if (index >= 0 && index < list.size())
            list.at(index).perform();
    }
}

QStringList SharingServicePicker::mailArguments(const QString& path, const QString& subject)
{
    return {QStringLiteral("--utf8"), QStringLiteral("--subject"), subject, QStringLiteral("--attach"), path};
}

QString SharingServicePicker::attachmentFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)).filePath(QStringLiteral("Shared"));
}

bool SharingServicePicker::copyToClipboard() const
{
    auto* data = new QMimeData;
    data->setData(QStringLiteral("application/pdf"), m_pdf);
    // Programs that take no PDF get the picture as a bitmap.
    if (Ref<Image> image = Image::fromPdfData(m_pdf))
        data->setImageData(image->bitmap());
    QApplication::clipboard()->setMimeData(data);
    return true;
}

bool SharingServicePicker::mail() const
{
    const QString folder = attachmentFolder();
    if (!QDir().mkpath(folder))
        return false;
    const QString path = QDir(folder).filePath(attachmentFileName(m_title));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(m_pdf) != m_pdf.size() || !file.commit())
        return false;
    return QProcess::startDetached(kMailProgram, mailArguments(path, m_title));
}

} // namespace pf
