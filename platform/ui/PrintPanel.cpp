#include "platform/ui/PrintPanel.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/PrintPanelAccessory.h"

#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QVBoxLayout>

PF_DEFINE_CLASS_NAMED(pf::PrintPanel, pf::Reflective, "pf::PrintPanel") {}

namespace pf {

PrintPanel::PrintPanel() = default;

PrintPanel::~PrintPanel()
{
    releaseAccessoryViews();
    for (Entry& entry : m_entries)
        stopObserving(entry);
}

bool PrintPanel::isAlive(const Entry& entry) const
{
    return entry.accessory && (!entry.reflective || !entry.liveness.expired());
}

void PrintPanel::stopObserving(Entry& entry)
{
    if (!entry.observing || !isAlive(entry))
        return;
    auto* object = dynamic_cast<Reflective*>(entry.accessory);
    for (const QString& keyPath : entry.accessory->keyPathsForValuesAffectingPreview())
        object->removeObserver(this, keyPath, nullptr);
    entry.observing = false;
}

void PrintPanel::addAccessoryController(PrintPanelAccessory* accessory)
{
    if (!accessory)
        return;
    for (const Entry& entry : m_entries)
        if (entry.accessory == accessory)
            return;
    Entry entry;
    entry.accessory = accessory;
    if (auto* object = dynamic_cast<Reflective*>(accessory)) {
        entry.reflective = true;
        entry.liveness = object->livenessToken();
        const QStringList keyPaths = accessory->keyPathsForValuesAffectingPreview();
        for (const QString& keyPath : keyPaths)
            object->addObserver(this, keyPath);
        entry.observing = !keyPaths.isEmpty();
    }
    m_entries.append(entry);
}

void PrintPanel::removeAccessoryController(PrintPanelAccessory* accessory)
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].accessory == accessory) {
            stopObserving(m_entries[i]);
            m_entries.removeAt(i);
            return;
        }
    }
}

QList<PrintPanelAccessory*> PrintPanel::accessoryControllers() const
{
    QList<PrintPanelAccessory*> result;
    for (const Entry& entry : m_entries)
        if (isAlive(entry))
            result.append(entry.accessory);
    return result;
}

QString PrintPanel::summaryText(const PrintPanelAccessory& accessory)
{
    QStringList lines;
    for (const auto& [name, description] : accessory.localizedSummaryItems())
        lines.append(name + QStringLiteral(": ") + description);
    return lines.join(QLatin1Char('\n'));
}

QPrintDialog* PrintPanel::makeDialog(QPrinter& printer)
{
    auto* dialog = new QPrintDialog(&printer);
    QList<QWidget*> tabs;
    for (Entry& entry : m_entries) {
        if (!isAlive(entry))
            continue;
        QWidget* view = entry.accessory->accessoryView();
        auto* tab = new QWidget;
        tab->setWindowTitle(entry.accessory->title());
        auto* layout = new QVBoxLayout(tab);
        if (view) {
            entry.view = view;
            entry.viewParent = view->parentWidget();
            layout->addWidget(view);
        }
        entry.summary = new QLabel(summaryText(*entry.accessory), tab);
        entry.summary->setWordWrap(true);
        layout->addWidget(entry.summary);
        layout->addStretch();
        tabs.append(tab);
    }
    if (!tabs.isEmpty())
        dialog->setOptionTabs(tabs);
    return dialog;
}

void PrintPanel::releaseAccessoryViews()
{
    for (Entry& entry : m_entries) {
        // The view belongs to its controller: take it out before the dialog is deleted.
        if (entry.view) {
            entry.view->hide();
            entry.view->setParent(entry.viewParent);
        }
        entry.view = nullptr;
        entry.summary = nullptr;
    }
}

void PrintPanel::observeValueForKeyPath(const QString& keyPath, Reflective* object, const QVariantMap& change,
                                        void* context)
{
    for (Entry& entry : m_entries)
        if (isAlive(entry) && dynamic_cast<Reflective*>(entry.accessory) == object && entry.summary)
            entry.summary->setText(summaryText(*entry.accessory));
}

} // namespace pf
