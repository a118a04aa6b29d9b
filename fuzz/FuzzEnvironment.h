#pragma once

// What every fuzz program sets up once before the first input: a Qt application on the
// offscreen platform (the readers use fonts, image plugins and the SVG renderer) and a
// throw-away home, so that nothing a reader does reaches the user's own folders.
class FuzzEnvironment {
public:
    static void start(int* argc, char*** argv);
};
