#include "app/VNQLDuplicateSheet.h"

#include "app/RVCartavelDocument.h"
#include "platform/ui/Application.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QSpinBox>

#include <functional>
#include <limits>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLDuplicateSheet", text);
}

QSpinBox* copiesBox(QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setRange(1, RVCartavelDocument::kMaxDuplicateCopies);
    box->setValue(1);
    return box;
}

QDoubleSpinBox* lengthBox(QWidget* parent, double value)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setRange(-1e6, 1e6);
    box->setDecimals(3);
    box->setValue(value);
    return box;
}

// Shows `dialog` window-modal; OK runs `apply` while the document is still open, and beeps
// when it made nothing.
void run(QDialog* dialog, QFormLayout* form, RVCartavelDocument& document, std::function<bool()> apply)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    std::weak_ptr<void> alive = document.livenessToken();
    QObject::connect(dialog, &QDialog::accepted, dialog, [alive, apply] {
        if (!alive.expired() && !apply())
            pf::Application::beep();
    });
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(dialog->parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    dialog->open();
}

QDialog* makeDialog(QWidget* parent, const QString& title, QFormLayout** form)
{
    auto* dialog = new QDialog(parent);
    dialog->setWindowTitle(title);
    *form = new QFormLayout(dialog);
    return dialog;
}

} // namespace

void VNQLDuplicateSheet::beginLinearDuplication(QWidget* parent, RVCartavelDocument& document)
{
    QFormLayout* form = nullptr;
    QDialog* dialog = makeDialog(parent, tr("Linear Duplication"), &form);
    QSpinBox* copies = copiesBox(dialog);
    QDoubleSpinBox* dx = lengthBox(dialog, 1.0);
    QDoubleSpinBox* dy = lengthBox(dialog, 0.0);
    form->addRow(tr("Copies:"), copies);
    form->addRow(tr("Horizontal offset:"), dx);
    form->addRow(tr("Vertical offset:"), dy);
    RVCartavelDocument* doc = &document;
    run(dialog, form, document, [=] { return doc->doLinearDuplicateCopies(copies->value(), QSizeF(dx->value(), dy->value())); });
}

void VNQLDuplicateSheet::beginPolarDuplication(QWidget* parent, RVCartavelDocument& document)
{
    QFormLayout* form = nullptr;
    QDialog* dialog = makeDialog(parent, tr("Polar Duplication"), &form);
    auto* automatic = new QCheckBox(tr("Fit copies round the centre automatically"), dialog);
    QSpinBox* copies = copiesBox(dialog);
    QDoubleSpinBox* cx = lengthBox(dialog, 0.0);
    QDoubleSpinBox* cy = lengthBox(dialog, 0.0);
    QDoubleSpinBox* angle = lengthBox(dialog, 30.0);
    angle->setRange(-360.0, 360.0);
    auto* rotate = new QCheckBox(tr("Rotate copies"), dialog);
    rotate->setChecked(true);
    form->addRow(automatic);
    form->addRow(tr("Copies:"), copies);
    form->addRow(tr("Centre X:"), cx);
    form->addRow(tr("Centre Y:"), cy);
    form->addRow(tr("Angle increment (degrees):"), angle);
    form->addRow(rotate);
    // Automatic fitting needs exactly one object and takes only the centre.
    automatic->setEnabled(document.countOfItemsInSelection() == 1);
    QObject::connect(automatic, &QCheckBox::toggled, dialog, [=](bool on) {
        copies->setEnabled(!on);
        angle->setEnabled(!on);
        rotate->setEnabled(!on);
    });
    RVCartavelDocument* doc = &document;
    run(dialog, form, document, [=] {
        const QPointF centre(cx->value(), cy->value());
        if (automatic->isChecked())
            return doc->doAutoPolarDuplicateWithCentre(centre);
        return doc->doPolarDuplicateCopies(copies->value(), centre, angle->value(), rotate->isChecked());
    });
}

void VNQLDuplicateSheet::beginParallelDuplication(QWidget* parent, RVCartavelDocument& document)
{
    QFormLayout* form = nullptr;
    QDialog* dialog = makeDialog(parent, tr("Offset Copies"), &form);
    QDoubleSpinBox* offset = lengthBox(dialog, 10.0);
    QSpinBox* copies = copiesBox(dialog);
    auto* smooth = new QCheckBox(tr("Smooth"), dialog);
    form->addRow(tr("Offset (points):"), offset);
    form->addRow(tr("Copies:"), copies);
    form->addRow(smooth);
    RVCartavelDocument* doc = &document;
    run(dialog, form, document, [=] { return doc->parallelCopyWithOffset(offset->value(), copies->value(), smooth->isChecked()); });
}
