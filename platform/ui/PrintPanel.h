#pragma once

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Reflective.h"

#include <QList>
#include <QPointer>

#include <memory>

class QLabel;
class QPrintDialog;
class QPrinter;
class QWidget;

namespace pf {

class PrintPanelAccessory;

// The print dialog of a print operation with its accessory tabs: each accessory's view in a
// tab of its own, with its summary below it, refreshed when one of the accessory's preview
// key paths changes.
class PrintPanel : public Reflective {
    PF_CLASS(PrintPanel)
public:
    PrintPanel();
    ~PrintPanel() override;

    // Not owned; an accessory that is a Reflective is dropped once it is destroyed.
    void addAccessoryController(PrintPanelAccessory* accessory);
    void removeAccessoryController(PrintPanelAccessory* accessory);
    QList<PrintPanelAccessory*> accessoryControllers() const;

    // Makes the dialog for `printer`, with the accessory tabs; the caller owns it.
    QPrintDialog* makeDialog(QPrinter& printer);
    // The summary text of an accessory's tab, as the dialog shows it.
    static QString summaryText(const PrintPanelAccessory& accessory);
    // Hands the accessory views back to their controllers once the dialog is done.
    void releaseAccessoryViews();

    void observeValueForKeyPath(const QString& keyPath, Reflective* object, const QVariantMap& change,
                                void* context) override;

private:
    struct Entry {
        PrintPanelAccessory* accessory = nullptr;
        std::weak_ptr<void> liveness;
        bool reflective = false;
        QPointer<QLabel> summary;
        QPointer<QWidget> view;
        QPointer<QWidget> viewParent;
        bool observing = false;
    };
    bool isAlive(const Entry& entry) const;
    void stopObserving(Entry& entry);

    QList<Entry> m_entries;
};

} // namespace pf
