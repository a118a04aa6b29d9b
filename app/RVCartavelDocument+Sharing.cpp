// Handing the drawing on to the desktop: the toolbar's Share button.
#include "app/RVCartavelDocument.h"

#include "frameworks/penwork/layers/PWDrawing.h"
#include "platform/ui/Application.h"
#include "platform/ui/SharingServicePicker.h"

#include <QWidget>

QByteArray RVCartavelDocument::sharableDocumentImage() const
{
    const pf::Ref<PWDrawing> drawing = this->drawing();
    return drawing ? drawing->pdf() : QByteArray();
}

void RVCartavelDocument::shareDocumentAction(const QVariant& sender)
{
    const QByteArray pdf = sharableDocumentImage();
    if (pdf.isEmpty()) {
        pf::Application::beep();
        return;
    }
    pf::SharingServicePicker(pdf, displayName()).showRelativeToWidget(qobject_cast<QWidget*>(sender.value<QObject*>()));
}
