#include "styleeditor/PWXProxyColourWell.h"

PWXProxyColourWell::PWXProxyColourWell(QWidget* parent) : pf::ColorWell(parent)
{
    setFrame(QRectF());
    hide();
}

void PWXProxyColourWell::deactivate()
{
    pf::ColorWell::deactivate();
    if (mDelegateRef)
        mDelegateRef->deactivate();
}
