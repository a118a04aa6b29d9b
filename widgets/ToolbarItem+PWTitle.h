#pragma once

#include <QString>

namespace pf {
class ToolbarItem;
}

// A toolbar item's title is its label.
QString title(const pf::ToolbarItem& item);
