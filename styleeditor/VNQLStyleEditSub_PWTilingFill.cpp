#include "styleeditor/VNQLStyleEditSub_PWTilingFill.h"

#include "frameworks/penwork/renderers/PWTilingFill.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/UndoManager.h"
#include "platform/graphics/Image.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>

PF_DEFINE_CLASS(VNQLStyleEditSub_PWTilingFill, VNQLStyleComponentController)
{
    using C = VNQLStyleEditSub_PWTilingFill;
    b.method("fileButtonAction:", &C::fileButtonAction);
    b.method("pasteButtonAction:", &C::pasteButtonAction);
    b.method("opacityAction:", &C::opacityAction);
    b.method("setImage:", &C::setImage);
    b.method("setOpacity:", &C::setOpacity);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleEditSub_PWTilingFill", text);
}
} // namespace

VNQLStyleEditSub_PWTilingFill::VNQLStyleEditSub_PWTilingFill(const QString& nibName)
    : VNQLStyleComponentController(nibName.isEmpty() ? QStringLiteral("VNQLStyleEditSub_PWTilingFill") : nibName)
{
}

const pf::Class& VNQLStyleEditSub_PWTilingFill::managedObjectClass() const
{
    return PWTilingFill::staticClass();
}

QStringList VNQLStyleEditSub_PWTilingFill::keyPathsOfInterest() const
{
    return {"enabled", "image", "opacity"};
}

PWTilingFill* VNQLStyleEditSub_PWTilingFill::tilingFill() const
{
    return dynamic_cast<PWTilingFill*>(representedComponent().get());
}

void VNQLStyleEditSub_PWTilingFill::loadView()
{
    using namespace VNQLPaneControls;
    pf::View* view = makeComponentView();
    mImageView = new pf::ImageView;
    mImageView->setFixedSize(64, 64);
    mFileButton = pushButton(tr("Choose..."), this, QStringLiteral("fileButtonAction:"), tr("Choose an image file"));
    mPasteButton = pushButton(tr("Paste"), this, QStringLiteral("pasteButtonAction:"), tr("Paste an image"));
    addImageRow(view, mImageView, mFileButton, mPasteButton);
    mOpacityTextField = numberField(this, QStringLiteral("opacityAction:"), decimalFormatter(2));
    mOpacityStepper = stepper(this, QStringLiteral("opacityAction:"), 0.05, 0.0, 1.0);
    addRow(view, tr("Opacity:"), {mOpacityTextField, mOpacityStepper});
    for (QWidget* control : std::initializer_list<QWidget*>{mOpacityTextField, mOpacityStepper, mPasteButton, mFileButton})
        addLockControl(control);
    finish(view);
    setView(view);
}

bool VNQLStyleEditSub_PWTilingFill::takeImageData(const QByteArray& data)
{
    PWTilingFill* current = tilingFill();
    if (!current || data.isEmpty() || !current->setImageData(data))
        return false;
    reloadDataForKeyPath(QStringLiteral("image"));
    if (pf::UndoManager* undo = dataSourceUndoManager())
        undo->setActionName(tr("Change Tiling Image"));
    return true;
}

void VNQLStyleEditSub_PWTilingFill::fileButtonAction(const QVariant&)
{
    pf::Weak<VNQLStyleComponentController> weakSelf =
        std::static_pointer_cast<VNQLStyleComponentController>(shared_from_this());
    chooseImageFile([weakSelf](const QString& path) {
        auto self = std::dynamic_pointer_cast<VNQLStyleEditSub_PWTilingFill>(weakSelf.lock());
        QFile file(path);
        if (self && file.open(QIODevice::ReadOnly))
            self->takeImageData(file.readAll());
    });
}

void VNQLStyleEditSub_PWTilingFill::pasteButtonAction(const QVariant&)
{
    const QImage image = pasteboardImage();
    if (image.isNull())
        return;
    const QByteArray tiff = pf::Image::fromQImage(image)->TIFFRepresentation();
    if (!tiff.isEmpty())
        takeImageData(tiff);
}

void VNQLStyleEditSub_PWTilingFill::opacityAction(const QVariant& sender) { write(sender, QStringLiteral("opacity")); }

void VNQLStyleEditSub_PWTilingFill::setImage(const QVariant& value)
{
    if (!mImageView)
        return;
    const QImage image = value.value<QImage>();
    mImageView->setImage(image.isNull() ? nullptr : pf::Image::fromQImage(image));
}

void VNQLStyleEditSub_PWTilingFill::setOpacity(const QVariant& value)
{
    VNQLPaneControls::showNumber(mOpacityTextField, mOpacityStepper, value);
}

void VNQLStyleEditSub_PWTilingFill::setStatesForLock(bool isLocked, bool isEnabled)
{
    enableLockControls(isEnabled && !isLocked);
}
