#pragma once

namespace pf {
class Window;
}

// Makes the window `dy` taller (shorter for a negative dy) with its top edge where it is,
// animated.
void extendWindowVerticallyBy(pf::Window& window, float dy);
