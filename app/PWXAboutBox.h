#pragma once

#include "platform/foundation/Object.h"

#include <QDialog>
#include <QLabel>
#include <QPointer>


// The about box: the program's name, icon and version, run application-modally. Closing the
// window ends the modal run.
class PWXAboutBox : public pf::Object {
    PF_CLASS(PWXAboutBox)
public:
    PWXAboutBox();
    ~PWXAboutBox() override;

    QDialog* window() const { return m_window; }
    QLabel* versionTextField() const { return m_versionTextField; }
    // The drawing framework's version; kept hidden.
    QLabel* penworkVersionTextField() const { return m_pwVersionTextField; }

    // "<short version> (<bundle version>)" from the info dictionary.
    static QString versionString();

    void runModal();
    // Ends the modal run.
    void endAction();

private:
    QPointer<QDialog> m_window;
    QPointer<QLabel> m_versionTextField;
    QPointer<QLabel> m_pwVersionTextField;
};
