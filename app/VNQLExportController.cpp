#include "app/VNQLExportController.h"

#include "app/PWDrawing+VNQLExportHelper.h"
#include "app/VNQLHelpTrampoline.h"
#include "app/VNQLExportControllerDelegate.h"
#include "app/VNQLExportOperation.h"
#include "app/VNQLExportOperationController.h"
#include "drawing/PWDrawing+SlicesLayer.h"
#include "drawing/PWXSlice.h"
#include "drawing/VNQLSlicesLayer.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/layers/PWLayerGroup.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/Bookmark.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/ColorSpace.h"
#include "platform/ui/Alert.h"
#include "platform/ui/OpenPanel.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/Workspace.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLExportController", text);
}

const QString kVisibleColumn = QStringLiteral("visible");
const QString kNameColumn = QStringLiteral("name");
const QString kSizeColumn = QStringLiteral("size");
const QStringList kColumns{kVisibleColumn, kNameColumn, kSizeColumn};

// A number from a control or the model: none when it is not a finite number.
std::optional<double> finite(const QVariant& value)
{
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok && std::isfinite(number) ? std::optional<double>(number) : std::nullopt;
}

// The value a sender (a control given as a QVariant holding a widget) shows; the plain value
// otherwise.
QVariant senderValue(const QVariant& sender)
{
    if (auto* widget = sender.value<QWidget*>()) {
        if (auto* spin = qobject_cast<QDoubleSpinBox*>(widget))
            return spin->value();
        if (auto* spin = qobject_cast<QSpinBox*>(widget))
            return spin->value();
        if (auto* check = qobject_cast<QAbstractButton*>(widget))
            return check->isChecked();
        if (auto* line = qobject_cast<QLineEdit*>(widget))
            return line->text();
    }
    return sender;
}

void setSpin(QDoubleSpinBox* spin, const QVariant& value)
{
    if (!spin)
        return;
    if (std::optional<double> number = finite(value)) {
        QSignalBlocker block(spin);
        spin->setValue(*number);
        spin->setSpecialValueText({});
    }
}

void selectItemWithData(QComboBox* popUp, const QVariant& data)
{
    if (!popUp)
        return;
    QSignalBlocker block(popUp);
    for (int i = 0; i < popUp->count(); ++i)
        if (pf::isEqual(popUp->itemData(i), data)) {
            popUp->setCurrentIndex(i);
            return;
        }
}

void setItemEnabled(QComboBox* popUp, int index, bool enabled)
{
    if (auto* model = qobject_cast<QStandardItemModel*>(popUp->model()))
        if (QStandardItem* item = model->item(index))
            item->setEnabled(enabled);
}

// Controllers whose sheet has ended, let go of once the current event has been handled. The
// queued call owns nothing, so an event dropped at exit destroys no controller inside Qt's
// event list.
void releaseAfterCurrentEvent(pf::Ref<VNQLExportController> controller)
{
    static auto* pending = new QList<pf::Ref<VNQLExportController>>;
    pending->append(std::move(controller));
    QMetaObject::invokeMethod(qApp, [] { pending->clear(); }, Qt::QueuedConnection);
}

} // namespace

PF_DEFINE_CLASS(VNQLExportController, pf::WindowController)
{
    b.method("exportHelpAction:", &VNQLExportController::exportHelpAction);
    b.method("setFolderURL:", &VNQLExportController::setFolderURL);
    b.method("setDpi:", &VNQLExportController::setDpi);
    b.method("setQuality:", &VNQLExportController::setQuality);
    b.method("setScale:", &VNQLExportController::setScale);
    b.method("setTransparent:", &VNQLExportController::setTransparent);
    b.method("setFileNameRoot:", &VNQLExportController::setFileNameRoot);
    b.method("setFirstIndex:", &VNQLExportController::setFirstIndex);
    b.method("setShowInFinder:", &VNQLExportController::setShowInFinder);
    b.method("setOverwriteExisting:", &VNQLExportController::setOverwriteExisting);
    b.method("setColorspace:", &VNQLExportController::setColorspace);
    b.method("setSources:", &VNQLExportController::setSources);
    b.method("setSourceType:", &VNQLExportController::setSourceType);
    b.method("setFormat:", &VNQLExportController::setFormat);
    b.method("setFileNamingOption:", &VNQLExportController::setFileNamingOption);
    b.method("exportAction:", &VNQLExportController::exportAction);
    b.method("cancelAction:", &VNQLExportController::cancelAction);
    b.method("showInFinderAction:", &VNQLExportController::showInFinderAction);
    b.method("activateLayerByName:", &VNQLExportController::activateLayerByName);
}

pf::Ref<VNQLExportController> VNQLExportController::exportController()
{
    return std::make_shared<VNQLExportController>();
}

QUrl VNQLExportController::defaultExportLocation()
{
    return VNQLExportOperation::defaultExportLocation();
}

VNQLExportController::VNQLExportController()
    : pf::WindowController(QStringLiteral("VNQLExportController")),
      m_operation(std::make_shared<VNQLExportOperation>()),
      m_tramp(std::make_shared<VNQLExportOperationController>())
{
    m_tramp->setDataSource(this);
    m_tramp->setTrampolineTarget(this);
}

VNQLExportController::~VNQLExportController()
{
    if (m_activeLayerObservation)
        pf::NotificationCenter::defaultCenter().removeObserver(m_activeLayerObservation);
    m_tramp->setTrampolineTarget(nullptr);
    m_tramp->setDataSource(nullptr);
    m_tramp->setContent({});
}

pf::Ref<PWDrawing> VNQLExportController::drawing() const
{
    return m_operation ? m_operation->drawing() : nullptr;
}

void VNQLExportController::observeDrawing(const pf::Ref<PWDrawing>& drawing)
{
    if (m_activeLayerObservation)
        pf::NotificationCenter::defaultCenter().removeObserver(m_activeLayerObservation);
    m_activeLayerObservation = 0;
    if (!drawing)
        return;
    std::weak_ptr<void> alive = livenessToken();
    m_activeLayerObservation = pf::NotificationCenter::defaultCenter().addObserver(
        kPWDrawingActiveLayerDidChange, drawing.get(), [this, alive](const pf::Notification&) {
            if (!alive.expired())
                activeLayerChanged();
        });
}

void VNQLExportController::setExportOperation(const pf::Ref<VNQLExportOperation>& operation)
{
    if (!operation)
        return;
    m_operation = std::static_pointer_cast<VNQLExportOperation>(operation->copy());
    observeDrawing(m_operation->drawing());
    m_tramp->setContent({m_operation});
    if (isWindowLoaded())
        m_tramp->reloadData();
}

QList<pf::Ref<pf::Object>> VNQLExportController::selectedContentForObjectController(VNQLGenericObjectController*)
{
    if (!m_operation)
        return {};
    return {m_operation};
}

// --- Window -----------------------------------------------------------------------------------------

void VNQLExportController::loadWindow()
{
    buildWindow();
}

void VNQLExportController::buildWindow()
{
    auto* dialog = new QDialog;
    dialog->setWindowTitle(tr("Export"));
    auto* outer = new QVBoxLayout(dialog);

    auto* sources = new QHBoxLayout;
    m_sourceButtons = new QButtonGroup(dialog);
    const QList<std::pair<QString, int>> sourceItems{{tr("Drawing"), VNQLExportOperation::kDrawingSource},
                                                     {tr("Layers"), VNQLExportOperation::kLayersSource},
                                                     {tr("Slices"), VNQLExportOperation::kSlicesSource},
                                                     {tr("Selected Objects"), VNQLExportOperation::kSelectionSource}};
    for (const auto& [title, tag] : sourceItems) {
        auto* button = new QRadioButton(title, dialog);
        m_sourceButtons->addButton(button, tag);
        sources->addWidget(button);
    }
    m_sourceButtons->setExclusive(false); // all four can be clear
    m_layers = new QComboBox(dialog);
    sources->addWidget(m_layers);
    sources->addStretch();
    outer->addLayout(sources);

    m_table = new QTableWidget(0, int(kColumns.size()), dialog);
    m_table->setHorizontalHeaderLabels({QString(), tr("Layers"), tr("Size")});
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    m_table->setMinimumHeight(140);
    outer->addWidget(m_table);
    auto* allNone = new QHBoxLayout;
    auto* all = new QPushButton(tr("All"), dialog);
    auto* none = new QPushButton(tr("None"), dialog);
    allNone->addWidget(all);
    allNone->addWidget(none);
    allNone->addStretch();
    outer->addLayout(allNone);

    auto* form = new QFormLayout;
    m_format = new QComboBox(dialog);
    const QList<std::pair<QString, quint64>> formats{
        {QStringLiteral("TIFF"), VNQLExportOperation::kTIFFFormat}, {QStringLiteral("BMP"), VNQLExportOperation::kBMPFormat},
        {QStringLiteral("GIF"), VNQLExportOperation::kGIFFormat},   {QStringLiteral("JPEG"), VNQLExportOperation::kJPEGFormat},
        {QStringLiteral("PNG"), VNQLExportOperation::kPNGFormat},   {QStringLiteral("PDF"), VNQLExportOperation::kPDFFormat},
        {tr("Slice formats"), VNQLExportOperation::kSliceFormat}};
    for (const auto& [title, format] : formats)
        m_format->addItem(title, QVariant::fromValue(format));
    form->addRow(tr("Format:"), m_format);
    m_colorspace = new QComboBox(dialog);
    form->addRow(tr("Colour space:"), m_colorspace);
    m_dpi = new QDoubleSpinBox(dialog);
    m_dpi->setRange(kMinimumDpi, kMaximumDpi);
    m_dpi->setDecimals(0);
    m_dpi->setKeyboardTracking(false);
    form->addRow(tr("Resolution (dpi):"), m_dpi);
    m_scale = new QDoubleSpinBox(dialog);
    m_scale->setRange(kMinimumScale, kMaximumScale);
    m_scale->setDecimals(2);
    m_scale->setSingleStep(0.25);
    m_scale->setKeyboardTracking(false);
    form->addRow(tr("Scale:"), m_scale);
    m_quality = new QDoubleSpinBox(dialog);
    m_quality->setRange(0.0, 1.0);
    m_quality->setDecimals(2);
    m_quality->setSingleStep(0.05);
    m_quality->setKeyboardTracking(false);
    form->addRow(tr("JPEG quality:"), m_quality);
    m_transparent = new QCheckBox(tr("Transparent background"), dialog);
    form->addRow(m_transparent);

    m_fileNameRoot = new QLineEdit(dialog);
    form->addRow(tr("File name:"), m_fileNameRoot);
    auto* naming = new QHBoxLayout;
    m_namingButtons = new QButtonGroup(dialog);
    m_namingButtons->setExclusive(false);
    const QList<std::pair<QString, int>> namingItems{{tr("Add index"), VNQLExportOperation::kRootAndIndex},
                                                     {tr("Add source name"), VNQLExportOperation::kRootAndName},
                                                     {tr("Name only"), VNQLExportOperation::kRootOnly}};
    for (const auto& [title, tag] : namingItems) {
        auto* button = new QRadioButton(title, dialog);
        m_namingButtons->addButton(button, tag);
        naming->addWidget(button);
    }
    form->addRow(naming);
    m_firstIndex = new QSpinBox(dialog);
    m_firstIndex->setRange(0, 999999);
    m_firstIndex->setKeyboardTracking(false);
    form->addRow(tr("First index:"), m_firstIndex);

    auto* folderRow = new QHBoxLayout;
    m_folderLabel = new QLabel(dialog);
    m_folderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* choose = new QPushButton(tr("Choose\u2026"), dialog);
    auto* reveal = new QPushButton(tr("Show"), dialog);
    folderRow->addWidget(m_folderLabel, 1);
    folderRow->addWidget(choose);
    folderRow->addWidget(reveal);
    form->addRow(tr("Folder:"), folderRow);
    m_showInFinder = new QCheckBox(tr("Show files when done"), dialog);
    m_overwrite = new QCheckBox(tr("Replace existing files"), dialog);
    form->addRow(m_showInFinder);
    form->addRow(m_overwrite);
    outer->addLayout(form);

    auto* buttons = new QHBoxLayout;
    auto* help = new QPushButton(QStringLiteral("?"), dialog);
    help->setToolTip(tr("Help"));
    help->setFixedWidth(32);
    QObject::connect(help, &QPushButton::clicked, dialog, [this] { exportHelpAction(); });
    buttons->addWidget(help);
    buttons->addStretch();
    auto* cancel = new QPushButton(tr("Cancel"), dialog);
    m_export = new QPushButton(tr("Export"), dialog);
    m_export->setDefault(true);
    buttons->addWidget(cancel);
    buttons->addWidget(m_export);
    outer->addLayout(buttons);

    QObject::connect(m_sourceButtons, &QButtonGroup::idClicked, dialog, [this](int tag) { exportSourceTypeAction(tag); });
    QObject::connect(m_namingButtons, &QButtonGroup::idClicked, dialog, [this](int tag) { namingSchemeAction(tag); });
    QObject::connect(m_format, &QComboBox::activated, dialog, [this] { formatAction(); });
    QObject::connect(m_colorspace, &QComboBox::activated, dialog, [this] { colorspaceAction(); });
    QObject::connect(m_layers, &QComboBox::activated, dialog, [this](int index) {
        activateLayerByName(m_layers->itemData(index));
    });
    QObject::connect(m_dpi, &QDoubleSpinBox::valueChanged, dialog, [this] { dpiAction(); });
    QObject::connect(m_scale, &QDoubleSpinBox::valueChanged, dialog, [this] { scaleAction(); });
    QObject::connect(m_quality, &QDoubleSpinBox::valueChanged, dialog, [this] { qualityAction(); });
    QObject::connect(m_transparent, &QCheckBox::clicked, dialog, [this] { transparentAction(); });
    QObject::connect(m_fileNameRoot, &QLineEdit::editingFinished, dialog, [this] { fileNameRootAction(); });
    QObject::connect(m_firstIndex, &QSpinBox::valueChanged, dialog, [this] { firstIndexAction(); });
    QObject::connect(m_showInFinder, &QCheckBox::clicked, dialog, [this] { showInFinderOptionAction(); });
    QObject::connect(m_overwrite, &QCheckBox::clicked, dialog, [this] { overwriteExistingAction(); });
    QObject::connect(choose, &QPushButton::clicked, dialog, [this] { pathToFolderAction(); });
    QObject::connect(reveal, &QPushButton::clicked, dialog, [this] { showInFinderAction(); });
    QObject::connect(all, &QPushButton::clicked, dialog, [this] { allNoneAction(0); });
    QObject::connect(none, &QPushButton::clicked, dialog, [this] { allNoneAction(1); });
    QObject::connect(m_table, &QTableWidget::cellChanged, dialog, [this](int row, int column) { tableCellChanged(row, column); });
    QObject::connect(cancel, &QPushButton::clicked, dialog, [this] { cancelAction(); });
    QObject::connect(m_export, &QPushButton::clicked, dialog, [this] { exportAction(); });
    setWindow(dialog);
}

void VNQLExportController::windowDidLoad()
{
    populateColorspacesMenu();
    populateLayersActivationMenu();
    m_tramp->setContent({m_operation});
    m_tramp->reloadData();
    updateActiveLayersControl();
}

// --- The sheet ------------------------------------------------------------------------------------

void VNQLExportController::setGridPrinting(bool printing)
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    pf::Ref<PWGridLayer> grid = drawing ? drawing->gridLayer() : nullptr;
    if (!grid)
        return;
    // Not an edit of the drawing: nothing goes on the undo stack.
    pf::UndoRegistrationDisabled noUndo(drawing->undoManager());
    grid->setShouldDrawToPrinter(printing);
}

void VNQLExportController::restoreGridPrinting()
{
    if (m_gridPrintedBefore)
        setGridPrinting(*m_gridPrintedBefore);
    m_gridPrintedBefore.reset();
}

void VNQLExportController::beginSheetExportOperation(const pf::Ref<VNQLExportOperation>& operation, QWidget* parent)
{
    if (operation)
        setExportOperation(operation);
    // The grid layer prints while the sheet is up, so it is offered with the other layers; its
    // own setting comes back when the sheet ends.
    if (pf::Ref<PWDrawing> drawing = this->drawing())
        if (pf::Ref<PWGridLayer> grid = drawing->gridLayer()) {
            if (!m_gridPrintedBefore)
                m_gridPrintedBefore = grid->shouldDrawToPrinter();
            setGridPrinting(true);
        }
    QWidget* dialog = window();
    m_tramp->reloadData();
    m_parentWindow = parent ? parent->window() : nullptr;
    // The controller lives until its completion has run, whoever else lets go of it.
    pf::Ref<VNQLExportController> self = std::static_pointer_cast<VNQLExportController>(ref<pf::Object>());
    if (m_parentWindow) {
        pf::Sheet::beginSheet(dialog, m_parentWindow, [self](int returnCode) {
            self->sheetDidEnd(returnCode);
            releaseAfterCurrentEvent(self);
        });
    } else {
        auto* modal = static_cast<QDialog*>(dialog);
        modal->setWindowModality(Qt::ApplicationModal);
        QObject::connect(modal, &QDialog::finished, modal, [self, modal](int result) {
            QObject::disconnect(modal, &QDialog::finished, modal, nullptr);
            self->sheetDidEnd(result == QDialog::Accepted ? 1 : 0);
            releaseAfterCurrentEvent(self);
        });
        modal->open();
    }
}

void VNQLExportController::exportAction(const QVariant&)
{
    if (isWindowLoaded() && pf::Sheet::isSheet(window()))
        pf::Sheet::endSheet(window(), 1);
    else if (auto* dialog = qobject_cast<QDialog*>(isWindowLoaded() ? window() : nullptr); dialog && dialog->isVisible())
        dialog->accept();
    else
        sheetDidEnd(1);
}

void VNQLExportController::cancelAction(const QVariant&)
{
    if (isWindowLoaded() && pf::Sheet::isSheet(window()))
        pf::Sheet::endSheet(window(), 0);
    else if (auto* dialog = qobject_cast<QDialog*>(isWindowLoaded() ? window() : nullptr); dialog && dialog->isVisible())
        dialog->reject();
    else
        sheetDidEnd(0);
}

QString VNQLExportController::informativeTextForError(const pf::Error& error)
{
    const pf::Error underlying = error.underlyingError();
    return QStringLiteral("%1 \r\r(Error %2, Underlying error %3, %4)")
        .arg(error.localizedDescription())
        .arg(error.code())
        .arg(underlying.code())
        .arg(underlying.localizedFailureReason());
}

bool VNQLExportController::sheetDidEnd(int returnCode)
{
    if (QWidget* focus = isWindowLoaded() ? window()->focusWidget() : nullptr)
        if (auto* line = qobject_cast<QLineEdit*>(focus); line && line == m_fileNameRoot)
            fileNameRootAction();
    // While writing, the grid prints exactly when it is visible.
    if (pf::Ref<PWDrawing> drawing = this->drawing())
        if (pf::Ref<PWGridLayer> grid = drawing->gridLayer())
            setGridPrinting(grid->visible());
    bool written = false;
    if (returnCode == 1 && m_operation) {
        const bool consent = m_delegate ? m_delegate->exportControllerWillExportWithOperation(*this, m_operation) : true;
        if (consent) {
            pf::Error error;
            if (m_operation->writeToFiles(&error)) {
                written = true;
                m_lastError = {};
                if (m_operation->showInFinder() && !m_operation->filesWrittenURLs().isEmpty())
                    pf::Workspace::shared().activateFileViewerSelectingURLs(m_operation->filesWrittenURLs());
                if (m_delegate)
                    m_delegate->exportControllerDidExportWithOperation(*this, m_operation);
            } else {
                m_lastError = error;
                RVLog(kFileEvent, QStringLiteral("export failed, error = %1").arg(error.description()));
                auto alert = std::make_shared<pf::Alert>();
                alert->setMessageText(QCoreApplication::translate("VNQLExportController", kErrorMessage.toUtf8().constData()));
                alert->setInformativeText(informativeTextForError(error));
                alert->beginSheetModal(m_parentWindow, [alert](int) {});
            }
        }
    }
    restoreGridPrinting();
    return written;
}

// --- Actions --------------------------------------------------------------------------------------

void VNQLExportController::takeValue(const QVariant& value, const QString& keyPath)
{
    m_tramp->setCommonValue(value, keyPath);
    // The operation posts no change notes of its own: the sheet reads the value back.
    m_tramp->reloadDataForKeyPath(keyPath);
}

void VNQLExportController::exportSourceTypeAction(int tag)
{
    takeValue(tag, QStringLiteral("sourceType"));
}

void VNQLExportController::namingSchemeAction(int tag)
{
    takeValue(tag, QStringLiteral("fileNamingOption"));
}

void VNQLExportController::formatAction(const QVariant&)
{
    takeValue(m_format->currentData(), QStringLiteral("format"));
}

void VNQLExportController::dpiAction(const QVariant& sender)
{
    const std::optional<double> dpi = finite(sender.isValid() ? senderValue(sender) : QVariant(m_dpi->value()));
    if (!dpi)
        return;
    takeValue(std::clamp(*dpi, kMinimumDpi, kMaximumDpi), QStringLiteral("dpi"));
}

void VNQLExportController::qualityAction(const QVariant& sender)
{
    const std::optional<double> quality = finite(sender.isValid() ? senderValue(sender) : QVariant(m_quality->value()));
    if (!quality)
        return;
    takeValue(std::clamp(*quality, 0.0, 1.0), QStringLiteral("quality"));
}

void VNQLExportController::scaleAction(const QVariant& sender)
{
    const std::optional<double> scale = finite(sender.isValid() ? senderValue(sender) : QVariant(m_scale->value()));
    if (!scale)
        return;
    takeValue(std::clamp(*scale, kMinimumScale, kMaximumScale), QStringLiteral("scale"));
}

void VNQLExportController::transparentAction(const QVariant& sender)
{
    takeValue(sender.isValid() ? senderValue(sender) : QVariant(m_transparent->isChecked()), QStringLiteral("transparent"));
}

void VNQLExportController::fileNameRootAction(const QVariant& sender)
{
    // The root is one file name: separators cannot lead out of the chosen folder.
    const QString root = (sender.isValid() ? senderValue(sender) : QVariant(m_fileNameRoot->text())).toString();
    takeValue(root.isEmpty() ? QString() : VNQLExportOperation::safeFileNameComponent(root), QStringLiteral("fileNameRoot"));
    if (root.isEmpty())
        m_tramp->takeCommonValueFromValue(QString(), QStringLiteral("fileNameRoot"), true);
}

void VNQLExportController::showInFinderOptionAction(const QVariant& sender)
{
    takeValue(sender.isValid() ? senderValue(sender) : QVariant(m_showInFinder->isChecked()), QStringLiteral("showInFinder"));
}

void VNQLExportController::overwriteExistingAction(const QVariant& sender)
{
    takeValue(sender.isValid() ? senderValue(sender) : QVariant(m_overwrite->isChecked()), QStringLiteral("overwriteExisting"));
}

void VNQLExportController::firstIndexAction(const QVariant& sender)
{
    const std::optional<double> index = finite(sender.isValid() ? senderValue(sender) : QVariant(m_firstIndex->value()));
    if (!index)
        return;
    takeValue(quint64(std::clamp(*index, 0.0, 999999.0)), QStringLiteral("firstIndex"));
}

void VNQLExportController::colorspaceAction(const QVariant& sender)
{
    takeValue(sender.isValid() ? sender : m_colorspace->currentData(), QStringLiteral("colorspace"));
}

void VNQLExportController::chooseFolder(const QUrl& folder)
{
    if (!m_operation || !folder.isLocalFile())
        return;
    m_operation->setFolderURL(folder);
    pf::Error error;
    const QByteArray bookmark = pf::Bookmark::create(folder.toLocalFile(), 0, &error);
    if (bookmark.isEmpty())
        RVLog(kFileEvent, QStringLiteral("an error occured creating security-scoped bookmark for the chosen location. URL=%1, error=%2")
                              .arg(folder.toString(), error.description()));
    else
        pf::UserDefaults::standard().setObject(bookmark, VNQLExportOperation::kFolderURLDefault);
    m_tramp->reloadDataForKeyPath(QStringLiteral("folderURL"));
}

void VNQLExportController::pathToFolderAction(const QVariant&)
{
    auto panel = std::make_shared<pf::OpenPanel>();
    panel->setCanChooseFiles(false);
    panel->setCanChooseDirectories(true);
    panel->setAllowsMultipleSelection(false);
    panel->setCanCreateDirectories(true);
    if (m_operation)
        panel->setDirectoryURL(m_operation->folderURL());
    std::weak_ptr<void> alive = livenessToken();
    panel->beginSheetModal(window(), [this, alive, panel](int result) {
        if (alive.expired() || result != pf::kModalResponseOK || panel->URLs().isEmpty())
            return;
        chooseFolder(panel->URLs().constFirst());
    });
}

void VNQLExportController::showInFinderAction(const QVariant&)
{
    if (m_operation && m_operation->folderURL().isLocalFile())
        pf::Workspace::shared().activateFileViewerSelectingURLs({m_operation->folderURL()});
}

void VNQLExportController::activateLayerByName(const QVariant& sender)
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    auto layer = pf::fromVariant<pf::Ref<PWLayer>>(sender);
    if (!drawing || !layer || !drawing->flattenedLayers().contains(layer))
        return;
    drawing->setActiveLayer(layer);
}

void VNQLExportController::allNoneAction(int segment)
{
    if (!m_operation)
        return;
    for (const pf::Ref<pf::Object>& source : m_operation->sources()) {
        try {
            source->setValueForKey(segment == 0, kVisibleColumn);
        } catch (const pf::Exception&) {
            // A source without a visibility is left as it is.
        }
    }
    reloadTable();
}

// --- Setters from the object controller -----------------------------------------------------------

void VNQLExportController::setFolderURL(const QVariant& value)
{
    const QUrl url = value.toUrl();
    if (m_folderLabel)
        m_folderLabel->setText(url.isLocalFile() ? url.toLocalFile() : tr("No folder chosen"));
}

void VNQLExportController::setDpi(const QVariant& value)
{
    setSpin(m_dpi, value);
}

void VNQLExportController::setQuality(const QVariant& value)
{
    setSpin(m_quality, value);
}

void VNQLExportController::setScale(const QVariant& value)
{
    setSpin(m_scale, value);
    reloadTable(); // the size column follows the scale
}

void VNQLExportController::setTransparent(const QVariant& value)
{
    if (m_transparent) {
        QSignalBlocker block(m_transparent);
        m_transparent->setChecked(pf::variantToBool(value));
    }
}

void VNQLExportController::setFileNameRoot(const QVariant& value)
{
    if (m_fileNameRoot && !m_fileNameRoot->hasFocus())
        m_fileNameRoot->setText(pf::isNilOrNull(value) ? QString() : value.toString());
}

void VNQLExportController::setFirstIndex(const QVariant& value)
{
    if (!m_firstIndex)
        return;
    QSignalBlocker block(m_firstIndex);
    m_firstIndex->setValue(int(std::clamp(value.toDouble(), 0.0, 999999.0)));
}

void VNQLExportController::setShowInFinder(const QVariant& value)
{
    if (m_showInFinder) {
        QSignalBlocker block(m_showInFinder);
        m_showInFinder->setChecked(pf::variantToBool(value));
    }
}

void VNQLExportController::setOverwriteExisting(const QVariant& value)
{
    if (m_overwrite) {
        QSignalBlocker block(m_overwrite);
        m_overwrite->setChecked(pf::variantToBool(value));
    }
}

void VNQLExportController::setColorspace(const QVariant& value)
{
    auto space = pf::fromVariant<pf::Ref<pf::ColorSpace>>(value);
    if (!m_colorspace || !space)
        return;
    QSignalBlocker block(m_colorspace);
    for (int i = 0; i < m_colorspace->count(); ++i)
        if (auto item = pf::fromVariant<pf::Ref<pf::ColorSpace>>(m_colorspace->itemData(i)); item && item->isEqual(space.get())) {
            m_colorspace->setCurrentIndex(i);
            return;
        }
}

void VNQLExportController::setSources(const QVariant&)
{
    reloadTable();
}

void VNQLExportController::setSourceType(const QVariant& value)
{
    const int type = value.toInt();
    RVLog(kStateEvent, QStringLiteral("setting source type:%1").arg(type));
    if (!m_sourceButtons)
        return;
    for (QAbstractButton* button : m_sourceButtons->buttons()) {
        QSignalBlocker block(button);
        button->setChecked(false);
    }
    const int naming = m_operation ? m_operation->fileNamingOption() : 0;
    m_firstIndex->setEnabled(naming == VNQLExportOperation::kRootAndIndex);
    m_namingButtons->button(VNQLExportOperation::kRootAndIndex)->setEnabled(true);
    m_namingButtons->button(VNQLExportOperation::kRootAndName)->setEnabled(true);
    m_layers->setHidden(true);
    auto check = [this](int tag) {
        if (QAbstractButton* button = m_sourceButtons->button(tag)) {
            QSignalBlocker block(button);
            button->setChecked(true);
        }
    };
    switch (type) {
    case VNQLExportOperation::kDrawingSource:
        check(type);
        m_firstIndex->setEnabled(false);
        m_namingButtons->button(VNQLExportOperation::kRootAndIndex)->setEnabled(false);
        m_namingButtons->button(VNQLExportOperation::kRootAndName)->setEnabled(false);
        break;
    case VNQLExportOperation::kLayersSource:
    case VNQLExportOperation::kSlicesSource:
        check(type);
        break;
    case VNQLExportOperation::kSelectionSource: {
        check(type);
        m_layers->setHidden(false);
        pf::Ref<PWDrawing> drawing = this->drawing();
        pf::Ref<PWLayer> active = drawing ? drawing->activeLayer() : nullptr;
        if (drawing && (!std::dynamic_pointer_cast<PWObjectDrawingLayer>(active) || !drawing->flattenedLayers().contains(active)))
            if (pf::Ref<PWLayer> first = drawing->firstActivateableLayerOfClass(PWObjectDrawingLayer::staticClass()))
                drawing->setActiveLayer(first);
        break;
    }
    default:
        break;
    }
    prepareSourcesTableForSourceType(type);
}

void VNQLExportController::setFormat(const QVariant& value)
{
    if (!m_format)
        return;
    selectItemWithData(m_format, QVariant::fromValue(value.toULongLong()));
    const bool bitmap = isBitmapFormat();
    const qint64 format = qint64(value.toULongLong());
    m_dpi->setEnabled(bitmap);
    m_colorspace->setEnabled(bitmap);
    m_scale->setEnabled(bitmap);
    m_quality->setEnabled(format == qint64(VNQLExportOperation::kJPEGFormat));
    m_transparent->setEnabled(format == qint64(VNQLExportOperation::kTIFFFormat) || format == qint64(VNQLExportOperation::kPNGFormat));
}

void VNQLExportController::setFileNamingOption(const QVariant& value)
{
    if (!m_namingButtons)
        return;
    for (QAbstractButton* button : m_namingButtons->buttons()) {
        QSignalBlocker block(button);
        button->setChecked(false);
    }
    const int option = value.toInt();
    if (QAbstractButton* button = m_namingButtons->button(option)) {
        QSignalBlocker block(button);
        button->setChecked(true);
    }
    m_firstIndex->setEnabled(option == VNQLExportOperation::kRootAndIndex);
}

bool VNQLExportController::isBitmapFormat() const
{
    const QVariant format = m_tramp->commonValueForKeyPath(QStringLiteral("format"));
    return qint64(format.toULongLong()) >= 0;
}

// --- Sources --------------------------------------------------------------------------------------

QList<pf::Ref<pf::Object>> VNQLExportController::printableLayers(const PWDrawing& drawing)
{
    QList<pf::Ref<pf::Object>> layers;
    for (const pf::Ref<PWLayer>& layer : drawing.flattenedLayers())
        if (layer->shouldDrawToPrinter() || layer->isKindOf<PWObjectDrawingLayer>())
            layers.append(layer);
    return layers;
}

void VNQLExportController::prepareSourcesTableForSourceType(int type)
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    QString title;
    QList<pf::Ref<pf::Object>> sources;
    bool enabled = true;
    bool setsSources = true;
    switch (type) {
    case VNQLExportOperation::kDrawingSource:
    case VNQLExportOperation::kLayersSource:
        title = tr("Layers");
        if (drawing)
            sources = printableLayers(*drawing);
        break;
    case VNQLExportOperation::kSlicesSource:
        title = tr("Slices");
        if (drawing)
            if (pf::Ref<VNQLSlicesLayer> slices = slicesLayer(*drawing)) {
                for (const pf::Ref<PWXSlice>& slice : slices->slices())
                    sources.append(slice);
                slices->setVisible(true);
            }
        break;
    case VNQLExportOperation::kSelectionSource: {
        title = tr("Objects");
        auto layer = drawing ? std::dynamic_pointer_cast<PWObjectDrawingLayer>(drawing->activeLayer()) : nullptr;
        // A layer removed from the drawing may still be remembered as active: it has nothing to export.
        if (layer && drawing->flattenedLayers().contains(layer)) {
            const auto selection = layer->selection();
            QList<pf::Ref<PWDrawableObject>> objects(selection.begin(), selection.end());
            QCollator collator;
            std::stable_sort(objects.begin(), objects.end(),
                             [&](const auto& a, const auto& b) { return collator.compare(a->name(), b->name()) < 0; });
            for (const auto& object : objects)
                sources.append(object);
        } else {
            enabled = false;
        }
        break;
    }
    default:
        title.clear();
        setsSources = false;
        break;
    }
    if (m_table) {
        m_table->setHorizontalHeaderItem(1, new QTableWidgetItem(title));
        m_table->setEnabled(enabled);
    }
    if (setsSources && m_operation) {
        RVLog(kStateEvent, QStringLiteral("set export sources:%1").arg(sources.size()));
        QVariantList list;
        for (const pf::Ref<pf::Object>& source : sources)
            list.append(pf::toVariant(source));
        m_tramp->setCommonValue(list, QStringLiteral("sources"));
        if (m_operation->sources() != sources)
            m_operation->setSources(sources);
    }
    reloadTable();
}

QString VNQLExportController::keyPathForColumnIdentifier(const QString& identifier, int sourceType)
{
    switch (sourceType) {
    case VNQLExportOperation::kDrawingSource:
    case VNQLExportOperation::kLayersSource:
        if (identifier == kNameColumn)
            return QStringLiteral("layerName");
        if (identifier == kSizeColumn)
            return QStringLiteral("drawing.size");
        return identifier;
    case VNQLExportOperation::kSlicesSource:
        return identifier;
    case VNQLExportOperation::kSelectionSource:
        return identifier == kSizeColumn ? QStringLiteral("displaySize") : identifier;
    default:
        return {};
    }
}

QString VNQLExportController::stringWithExportSizeForSourceObject(const pf::Ref<pf::Object>& source) const
{
    QSizeF size;
    if (auto* drawing = dynamic_cast<PWDrawing*>(source.get()))
        size = drawing->drawingSize();
    else if (auto* object = dynamic_cast<PWDrawableObject*>(source.get()))
        size = object->bounds().size();
    else if (auto* slice = dynamic_cast<PWXSlice*>(source.get()))
        size = slice->bounds().size();
    else if (auto* layer = dynamic_cast<PWLayer*>(source.get()))
        size = layer->drawing() ? layer->drawing()->drawingSize() : QSizeF();
    const double scale = m_operation ? m_operation->scale() : 1.0;
    return QString::asprintf("%.0f x %.0f px", std::ceil(size.width() * scale), std::ceil(size.height() * scale));
}

void VNQLExportController::reloadTable()
{
    if (!m_table || !m_operation)
        return;
    m_reloadingTable = true;
    const QList<pf::Ref<pf::Object>> sources = m_operation->sources();
    m_table->setRowCount(int(sources.size()));
    const int type = m_operation->sourceType();
    for (int row = 0; row < sources.size(); ++row) {
        const pf::Ref<pf::Object>& source = sources[row];
        auto* visible = new QTableWidgetItem;
        visible->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        visible->setCheckState(VNQLExportOperation::isSourceVisible(source) ? Qt::Checked : Qt::Unchecked);
        m_table->setItem(row, 0, visible);
        QString name;
        try {
            name = source->valueForKeyPath(keyPathForColumnIdentifier(kNameColumn, type)).toString();
        } catch (const pf::Exception&) {
            name = m_operation->nameOfSource(source);
        }
        auto* nameItem = new QTableWidgetItem(name);
        nameItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsEditable);
        m_table->setItem(row, 1, nameItem);
        auto* sizeItem = new QTableWidgetItem(stringWithExportSizeForSourceObject(source));
        sizeItem->setFlags(Qt::ItemIsEnabled);
        m_table->setItem(row, 2, sizeItem);
    }
    m_reloadingTable = false;
    updateExportButton();
}

void VNQLExportController::tableCellChanged(int row, int column)
{
    if (m_reloadingTable || !m_operation)
        return;
    const QList<pf::Ref<pf::Object>> sources = m_operation->sources();
    if (row < 0 || row >= sources.size())
        return;
    QTableWidgetItem* item = m_table->item(row, column);
    if (!item)
        return;
    const QString keyPath = keyPathForColumnIdentifier(kColumns.value(column), m_operation->sourceType());
    if (keyPath.isEmpty() || column == 2)
        return;
    const QVariant value = column == 0 ? QVariant(item->checkState() == Qt::Checked) : QVariant(item->text());
    try {
        sources[row]->setValueForKeyPath(value, keyPath);
    } catch (const pf::Exception& e) {
        RVLog(kStateEvent, QStringLiteral("export source %1 cannot take %2: %3").arg(row).arg(keyPath, e.reason()));
    }
    updateExportButton();
}

void VNQLExportController::updateExportButton()
{
    if (m_export)
        m_export->setEnabled(m_operation && m_operation->canExport());
}

// --- Menus ----------------------------------------------------------------------------------------

void VNQLExportController::populateColorspacesMenu()
{
    m_colorspace->clear();
    const QList<pf::ColorSpaceModel> models{pf::RGBColorSpaceModel, pf::GrayColorSpaceModel, pf::CMYKColorSpaceModel};
    for (int i = 0; i < models.size(); ++i) {
        const QList<pf::Ref<pf::ColorSpace>> spaces = pf::ColorSpace::availableColorSpaces(models[i]);
        for (const pf::Ref<pf::ColorSpace>& space : spaces)
            m_colorspace->addItem(space->localizedName(), pf::toVariant(space));
        if (!spaces.isEmpty() && i + 1 < models.size())
            m_colorspace->insertSeparator(m_colorspace->count());
    }
}

void VNQLExportController::populateLayersActivationMenu()
{
    m_layers->clear();
    pf::Ref<PWDrawing> drawing = this->drawing();
    if (!drawing)
        return;
    for (const pf::Ref<PWLayer>& layer : drawing->flattenedLayersIncludingGroups(true)) {
        const bool group = layer->isKindOf<PWLayerGroup>();
        if (!group && !layer->isKindOf<PWObjectDrawingLayer>())
            continue;
        const QString indent(qMax(0, layer->level()) * 3, QLatin1Char(' '));
        m_layers->addItem(indent + layer->layerName(), pf::toVariant(layer));
        // A group only shows where its layers sit.
        setItemEnabled(m_layers, m_layers->count() - 1, !group);
    }
}

void VNQLExportController::updateActiveLayersControl()
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    if (drawing && m_layers)
        selectItemWithData(m_layers, pf::toVariant(drawing->activeLayer()));
}

void VNQLExportController::activeLayerChanged()
{
    if (!isWindowLoaded())
        return;
    m_tramp->reloadData();
    updateActiveLayersControl();
}

void VNQLExportController::exportHelpAction(const QVariant&)
{
    VNQLHelpTrampoline::showHelpItemNamedByApplicationDelegate(QStringLiteral("export"));
}
