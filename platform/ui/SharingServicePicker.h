#pragma once

#include "platform/graphics/Image.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace pf {

// The desktop's ways of handing a picture on: copying it to the clipboard, and mailing it as an
// attachment through the desktop's mail program ("xdg-email", when installed). Shown as a menu
// under the control that asked for it.
class SharingServicePicker {
public:
    struct Service {
        QString title;
        std::function<bool()> perform;
    };

    // `pdf` is the picture as PDF data; `title` names it (the attachment's file name and the
    // mail's subject).
    SharingServicePicker(QByteArray pdf, QString title);

    // The services that can take the picture on this desktop, in menu order.
    QList<Service> services() const;
    // Shows them in a menu under `anchor` (at the pointer without one); the chosen service runs.
    void showRelativeToWidget(QWidget* anchor) const;

    // The mail program's arguments for an attachment at `path`.
    static QStringList mailArguments(const QString& path, const QString& subject);
    // Where attachments are written: a folder of the program's cache.
    static QString attachmentFolder();
    // The attachment's file name for a title: no folder separators or leading dots, never empty.
    static QString attachmentFileName(const QString& title);

private:
    bool copyToClipboard() const;
    bool mail() const;

    QByteArray m_pdf;
    QString m_title;
};

} // namespace pf
