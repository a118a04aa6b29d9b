#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class QWidget;

namespace pf {

// A controller whose view the print panel shows as an extra tab of options.
class PrintPanelAccessory {
public:
    virtual ~PrintPanelAccessory() = default;

    // The options widget; the panel shows it while it is up and hands it back afterwards.
    virtual QWidget* accessoryView() = 0;
    virtual QString title() const { return QStringLiteral("Options"); }
    // What the options amount to, as (name, description) pairs shown with the tab.
    virtual QList<QPair<QString, QString>> localizedSummaryItems() const { return {}; }
    // Key paths of the accessory (when it is a pf::Reflective) whose changes alter the
    // printed result; the panel refreshes the summary when one changes.
    virtual QStringList keyPathsForValuesAffectingPreview() const { return {}; }
};

} // namespace pf
