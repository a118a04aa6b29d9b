#include "platform/ui/FontPanel.h"

#include <QFontDialog>
#include <QVBoxLayout>

PF_DEFINE_CLASS_NAMED(pf::FontPanel, pf::Panel, "pf::FontPanel") {}

namespace pf {

FontPanel::FontPanel(QWidget* parent)
    : Panel(parent)
{
    setWindowTitle(tr("Fonts"));
    setFloatingPanel(true);
    auto* content = new QWidget;
    m_layout = new QVBoxLayout(content);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_dialog = new QFontDialog(content);
    m_dialog->setWindowFlags(Qt::Widget);
    m_dialog->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    m_layout->addWidget(m_dialog);
    setContentView(content);
    QObject::connect(m_dialog, &QFontDialog::currentFontChanged, this, [this](const QFont& font) {
        if (m_settingFont || !fontChosen)
            return;
        const Font chosen = Font::fromQFont(font);
        if (chosen.isValid())
            fontChosen(chosen);
    });
}

void FontPanel::setPanelFont(const Font& font, bool isMultiple)
{
    if (!font.isValid())
        return;
    m_settingFont = true;
    m_dialog->setCurrentFont(font.qFont());
    m_settingFont = false;
}

Font FontPanel::panelFont() const
{
    return Font::fromQFont(m_dialog->currentFont());
}

void FontPanel::setAccessoryView(QWidget* view)
{
    if (view == m_accessory)
        return;
    if (QWidget* old = m_accessory) {
        m_layout->removeWidget(old);
        old->hide();
        old->setParent(nullptr);
    }
    m_accessory = view;
    if (view) {
        m_layout->addWidget(view);
        view->show();
    }
}

} // namespace pf
