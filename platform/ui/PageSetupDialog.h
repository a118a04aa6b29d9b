#pragma once

#include <QDialog>
#include <QPageLayout>

class QComboBox;
class QDoubleSpinBox;
class QRadioButton;

namespace pf {

// Paper, orientation and margins chosen without a printer: Qt's own page set-up dialog
// works only on installed printers, and a machine may have none.
class PageSetupDialog : public QDialog {
    Q_OBJECT
public:
    explicit PageSetupDialog(const QPageLayout& layout, QWidget* parent = nullptr);

    // The layout as the dialog shows it now (points).
    QPageLayout pageLayout() const;

private:
    QComboBox* m_paper = nullptr;
    QRadioButton* m_portrait = nullptr;
    QRadioButton* m_landscape = nullptr;
    QDoubleSpinBox* m_margins[4] = {}; // left, top, right, bottom
    QPageSize m_customSize;
};

} // namespace pf
