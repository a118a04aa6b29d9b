#include "widgets/Font+VNQLApplicationFonts.h"

pf::Font VNQLSmallTitleFont()
{
    return pf::Font::boldSystemFont(11.0);
}
