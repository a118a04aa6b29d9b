#pragma once

#include "platform/foundation/Object.h"

#include <QFileDialog>
#include <QPointer>
#include <QStringList>
#include <QUrl>

#include <functional>

class QLabel;
class QWidget;

namespace pf {

// The panel that asks where to save: a name, a folder and, when set, the one allowed type,
// whose extension the result always carries (unless other types are allowed and the name
// already has an extension). Runs application-modally or as a sheet on a window, answering
// kModalResponseOK or kModalResponseCancel. Built on Qt's own (non-native) file dialog so that
// accessory views and packages work the same everywhere.
class SavePanel : public Object {
    PF_CLASS(SavePanel)
public:
    SavePanel();
    ~SavePanel() override;

    QString title() const;
    void setTitle(const QString& title);
    // A line of text shown above the file list.
    QString message() const;
    void setMessage(const QString& message);
    // The title of the button that confirms ("Save", "Export").
    QString prompt() const;
    void setPrompt(const QString& prompt);
    QString nameFieldLabel() const;
    void setNameFieldLabel(const QString& label);
    // The name as the field shows it (without the extension when the extension is hidden).
    QString nameFieldStringValue() const;
    void setNameFieldStringValue(const QString& name);

    // The folder shown; may be changed while the panel is up.
    QUrl directoryURL() const;
    void setDirectoryURL(const QUrl& url);

    // Extensions without dots ("png"); empty allows every type.
    QStringList allowedFileTypes() const { return m_allowedTypes; }
    void setAllowedFileTypes(const QStringList& types);
    bool allowsOtherFileTypes() const { return m_allowsOtherTypes; }
    void setAllowsOtherFileTypes(bool allows);
    bool isExtensionHidden() const { return m_extensionHidden; }
    void setExtensionHidden(bool hidden);
    bool canCreateDirectories() const;
    void setCanCreateDirectories(bool can);
    // Whether packages (folders shown as documents) can be opened like folders.
    bool treatsFilePackagesAsDirectories() const { return m_packagesAsDirectories; }
    void setTreatsFilePackagesAsDirectories(bool treats) { m_packagesAsDirectories = treats; }

    // A widget shown below the file list (check boxes whose actions reach the document).
    // The caller owns it and keeps it alive; the panel only borrows it, and gives it back
    // (without a parent) when a run ends, when another view is set and when the panel goes.
    QWidget* accessoryView() const { return m_accessory; }
    void setAccessoryView(QWidget* view);

    // The chosen file after an OK answer, its extension settled as described above.
    QUrl URL() const;

    int runModal();
    void beginSheetModal(QWidget* window, std::function<void(int result)> completion);
    // The older form: delegate->perform(didEndSelector, {panel, result, contextInfo}).
    void beginSheetModal(QWidget* window, Reflective* delegate, const QString& didEndSelector,
                         const QVariant& contextInfo);

    // The dialog itself, for tests and for callers that place it themselves.
    QFileDialog* dialog() const { return m_dialog; }

protected:
    explicit SavePanel(bool opening);
    // The selection taken when the user confirms.
    QStringList chosenPaths() const { return m_chosen; }
    // Whether `paths` may be taken as they are rather than opened as folders.
    virtual bool acceptsAsChosen(const QStringList& paths) const;
    // Whether the confirmed selection must not be taken (a type the panel does not allow).
    bool refusesSelection(const QStringList& paths) const;
    virtual void updateDialogMode();
    void updateNameFilters();
    bool isPackage(const QString& path) const;

private:
    void build(bool opening);
    // The folder new panels open in: where the user last chose a file, at first Documents.
    static QString& lastDirectory();
    void beginRun();
    void endRun(int result);
    void directoryEntered(const QString& path);
    QString settledName(const QString& name) const;
    void placeAccessory();
    void releaseAccessory();

    QPointer<QFileDialog> m_dialog;
    QPointer<QLabel> m_messageLabel;
    QPointer<QWidget> m_accessory;
    QStringList m_allowedTypes;
    QStringList m_chosen;
    bool m_allowsOtherTypes = false;
    bool m_extensionHidden = false;
    bool m_packagesAsDirectories = false;
    bool m_running = false;
    bool m_opening = false;
    bool m_endingSheet = false;
};

} // namespace pf
