#include "platform/ui/SavePanel.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/FileManager.h"
#include "platform/ui/PresentationHook.h"
#include "platform/ui/Sheet.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTimer>

PF_DEFINE_CLASS_NAMED(pf::SavePanel, pf::Object, "pf::SavePanel") {}

namespace pf {

namespace {

// A file dialog that takes some selections as they are (packages, folders an open panel
// may choose) instead of opening them as folders.
class PanelDialog : public QFileDialog {
public:
    std::function<bool(const QStringList&)> acceptsAsChosen;
    std::function<bool(const QStringList&)> refuses;

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (refuses && refuses(files)) {
            QApplication::beep();
            return;
        }
        if (acceptsAsChosen && !files.isEmpty() && acceptsAsChosen(files)) {
            QDialog::accept();
            return;
        }
        QFileDialog::accept();
    }
};

} // namespace

SavePanel::SavePanel() : SavePanel(false) {}

SavePanel::SavePanel(bool opening)
{
    build(opening);
}

SavePanel::~SavePanel()
{
    if (m_dialog && Sheet::isSheet(m_dialog))
        Sheet::endSheet(m_dialog, kModalResponseAbort);
    // The dialog deletes its children; the accessory is its owner's.
    releaseAccessory();
    if (m_endingSheet && m_dialog)
        m_dialog->deleteLater();
    else
        delete m_dialog.data();
}

void SavePanel::build(bool opening)
{
    m_opening = opening;
    auto* dialog = new PanelDialog;
    m_dialog = dialog;
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setAcceptMode(opening ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog->setFileMode(opening ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog->acceptsAsChosen = [this](const QStringList& paths) { return acceptsAsChosen(paths); };
    dialog->refuses = [this](const QStringList& paths) { return refusesSelection(paths); };
    QObject::connect(dialog, &QFileDialog::directoryEntered, dialog,
                     [this](const QString& path) { directoryEntered(path); });
    QObject::connect(dialog, &QDialog::accepted, dialog, [this] {
        m_chosen = m_dialog->selectedFiles();
        lastDirectory() = m_dialog->directory().absolutePath();
    });
    // Where the user last chose a file, else the Documents folder: never the folder the
    // program happened to be started from. A caller's own directory still wins.
    dialog->setDirectory(lastDirectory());
}

QString& SavePanel::lastDirectory()
{
    static QString directory = [] {
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        return QFileInfo(documents).isDir() ? documents : QDir::homePath();
    }();
    return directory;
}

bool SavePanel::isPackage(const QString& path) const
{
    return FileManager::isPackage(path);
}

bool SavePanel::acceptsAsChosen(const QStringList& paths) const
{
    // Saving onto a package replaces it as a whole, as for a file.
    if (m_packagesAsDirectories)
        return false;
    for (const QString& path : paths)
        if (!isPackage(path))
            return false;
    return true;
}

bool SavePanel::refusesSelection(const QStringList& paths) const
{
    // A typed name can get past the name filters; an open panel still takes only its types.
    if (!m_opening || m_allowedTypes.isEmpty() || m_allowsOtherTypes)
        return false;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        const bool chosenAsFile = !info.isDir() || (!m_packagesAsDirectories && isPackage(path));
        if (chosenAsFile && !m_allowedTypes.contains(info.suffix(), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

void SavePanel::directoryEntered(const QString& path)
{
    if (m_packagesAsDirectories || !isPackage(path))
        return;
    // A package is a document: step back out and select it instead of showing its insides.
    QFileInfo info(path);
    m_dialog->setDirectory(info.absolutePath());
    m_dialog->selectFile(info.fileName());
}

QString SavePanel::title() const
{
    return m_dialog->windowTitle();
}

void SavePanel::setTitle(const QString& title)
{
    m_dialog->setWindowTitle(title);
}

QString SavePanel::message() const
{
    return m_messageLabel ? m_messageLabel->text() : QString();
}

void SavePanel::setMessage(const QString& message)
{
    if (!m_messageLabel) {
        auto* grid = qobject_cast<QGridLayout*>(m_dialog->layout());
        if (!grid)
            return;
        // Moves the dialog's rows down by one to put the message on top.
        struct Placed {
            QLayoutItem* item;
            int row, column, rowSpan, columnSpan;
        };
        QList<Placed> placed;
        while (grid->count() > 0) {
            int row, column, rowSpan, columnSpan;
            grid->getItemPosition(0, &row, &column, &rowSpan, &columnSpan);
            placed.append({grid->takeAt(0), row, column, rowSpan, columnSpan});
        }
        for (const Placed& p : placed)
            grid->addItem(p.item, p.row + 1, p.column, p.rowSpan, p.columnSpan);
        m_messageLabel = new QLabel(m_dialog);
        m_messageLabel->setWordWrap(true);
        grid->addWidget(m_messageLabel, 0, 0, 1, qMax(1, grid->columnCount()));
    }
    m_messageLabel->setText(message);
    m_messageLabel->setVisible(!message.isEmpty());
}

QString SavePanel::prompt() const
{
    return m_dialog->labelText(QFileDialog::Accept);
}

void SavePanel::setPrompt(const QString& prompt)
{
    m_dialog->setLabelText(QFileDialog::Accept, prompt);
}

QString SavePanel::nameFieldLabel() const
{
    return m_dialog->labelText(QFileDialog::FileName);
}

void SavePanel::setNameFieldLabel(const QString& label)
{
    m_dialog->setLabelText(QFileDialog::FileName, label);
}

QString SavePanel::nameFieldStringValue() const
{
    if (auto* field = m_dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        return field->text();
    const QStringList selected = m_dialog->selectedFiles();
    return selected.isEmpty() ? QString() : QFileInfo(selected.first()).fileName();
}

void SavePanel::setNameFieldStringValue(const QString& name)
{
    QString shown = name;
    if (m_extensionHidden) {
        const QString suffix = QFileInfo(name).suffix();
        if (!suffix.isEmpty() && (m_allowedTypes.isEmpty() || m_allowedTypes.contains(suffix, Qt::CaseInsensitive)))
            shown.chop(suffix.size() + 1);
    }
    m_dialog->selectFile(shown);
    if (auto* field = m_dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        field->setText(shown);
}

QUrl SavePanel::directoryURL() const
{
    return QUrl::fromLocalFile(m_dialog->directory().absolutePath());
}

void SavePanel::setDirectoryURL(const QUrl& url)
{
    const QString name = nameFieldStringValue();
    m_dialog->setDirectory(url.toLocalFile());
    if (!m_opening && !name.isEmpty()) {
        // Changing folders keeps the name the user typed.
        if (auto* field = m_dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            field->setText(name);
    }
}

void SavePanel::setAllowedFileTypes(const QStringList& types)
{
    m_allowedTypes.clear();
    for (QString type : types) {
        if (type.startsWith(QLatin1Char('.')))
            type.remove(0, 1);
        if (!type.isEmpty() && !m_allowedTypes.contains(type, Qt::CaseInsensitive))
            m_allowedTypes.append(type);
    }
    updateNameFilters();
    if (!m_opening && !m_allowedTypes.isEmpty())
        m_dialog->setDefaultSuffix(m_allowedTypes.first());
    if (m_allowedTypes.isEmpty())
        m_dialog->setDefaultSuffix(QString());
}

void SavePanel::setAllowsOtherFileTypes(bool allows)
{
    m_allowsOtherTypes = allows;
    updateNameFilters();
}

void SavePanel::updateNameFilters()
{
    QStringList filters;
    if (!m_allowedTypes.isEmpty()) {
        QStringList patterns;
        for (const QString& type : m_allowedTypes)
            patterns.append(QStringLiteral("*.") + type);
        filters.append(QStringLiteral("%1 (%2)").arg(m_allowedTypes.join(QStringLiteral(", ")).toUpper(),
                                                     patterns.join(QLatin1Char(' '))));
    }
    if (m_allowedTypes.isEmpty() || m_allowsOtherTypes)
        filters.append(QStringLiteral("All Files (*)"));
    m_dialog->setNameFilters(filters);
}

void SavePanel::setExtensionHidden(bool hidden)
{
    const QString name = nameFieldStringValue();
    m_extensionHidden = hidden;
    if (!name.isEmpty())
        setNameFieldStringValue(name);
}

bool SavePanel::canCreateDirectories() const
{
    return !m_dialog->testOption(QFileDialog::ReadOnly);
}

void SavePanel::setCanCreateDirectories(bool can)
{
    m_dialog->setOption(QFileDialog::ReadOnly, !can);
}

void SavePanel::setAccessoryView(QWidget* view)
{
    if (view == m_accessory) {
        placeAccessory(); // back from another panel that borrowed it meanwhile
        return;
    }
    releaseAccessory();
    m_accessory = view;
    placeAccessory();
}

void SavePanel::placeAccessory()
{
    QWidget* view = m_accessory;
    if (!view || !m_dialog || view->parentWidget() == m_dialog)
        return;
    if (auto* grid = qobject_cast<QGridLayout*>(m_dialog->layout()))
        grid->addWidget(view, grid->rowCount(), 0, 1, qMax(1, grid->columnCount()));
    else
        view->setParent(m_dialog);
    view->show();
}

void SavePanel::releaseAccessory()
{
    QWidget* view = m_accessory;
    // Another panel may have borrowed the view since: it is not this one's to give back.
    if (!view || !m_dialog || view->parentWidget() != m_dialog)
        return;
    if (QLayout* layout = m_dialog->layout())
        layout->removeWidget(view);
    view->setParent(nullptr);
}

void SavePanel::updateDialogMode() {}

QString SavePanel::settledName(const QString& name) const
{
    if (m_allowedTypes.isEmpty())
        return name;
    const QString suffix = QFileInfo(name).suffix();
    if (!suffix.isEmpty() && m_allowedTypes.contains(suffix, Qt::CaseInsensitive))
        return name;
    if (!suffix.isEmpty() && m_allowsOtherTypes)
        return name;
    return name + QLatin1Char('.') + m_allowedTypes.first();
}

QUrl SavePanel::URL() const
{
    if (m_chosen.isEmpty())
        return {};
    if (m_opening)
        return QUrl::fromLocalFile(m_chosen.first());
    const QFileInfo chosen(m_chosen.first());
    return QUrl::fromLocalFile(chosen.absoluteDir().filePath(settledName(chosen.fileName())));
}

void SavePanel::beginRun()
{
    if (m_running)
        raise(NSInternalInconsistencyException, QStringLiteral("The panel is already showing"));
    m_running = true;
    m_chosen.clear();
    // A view given back after an earlier run comes in again.
    placeAccessory();
    updateDialogMode();
}

void SavePanel::endRun(int result)
{
    m_running = false;
    if (result != kModalResponseOK)
        m_chosen.clear();
    releaseAccessory();
}

int SavePanel::runModal()
{
    beginRun();
    m_dialog->setWindowModality(Qt::ApplicationModal);
    PresentationHook::presented(m_dialog);
    const int result = m_dialog->exec() == QDialog::Accepted ? kModalResponseOK : kModalResponseCancel;
    endRun(result);
    return result;
}

void SavePanel::beginSheetModal(QWidget* window, std::function<void(int result)> completion)
{
    if (!window) {
        const int result = runModal();
        if (completion)
            completion(result);
        return;
    }
    beginRun();
    Ref<Object> keep = weak_from_this().lock();
    m_endingSheet = false;
    Sheet::beginSheet(m_dialog, window, [this, keep, completion = std::move(completion)](int result) mutable {
        // This runs inside the dialog's own signal (its Return key, its buttons). Whoever lets
        // go of the panel last, here, in the completion or when the sheet's record drops the
        // completion it captured, the dialog must outlive that signal: from here on the
        // panel's end deletes it later.
        m_endingSheet = true;
        endRun(result);
        if (completion)
            completion(result);
        Ref<Object> release = std::move(keep);
    });
}

void SavePanel::beginSheetModal(QWidget* window, Reflective* delegate, const QString& didEndSelector,
                                const QVariant& contextInfo)
{
    std::function<void(int)> completion;
    if (delegate && !didEndSelector.isEmpty()) {
        std::weak_ptr<void> alive = delegate->livenessToken();
        std::weak_ptr<Object> self = weak_from_this();
        completion = [alive, self, delegate, didEndSelector, contextInfo](int result) {
            if (!alive.expired())
                delegate->perform(didEndSelector, {toVariant(self.lock()), result, contextInfo});
        };
    }
    beginSheetModal(window, std::move(completion));
}

} // namespace pf
