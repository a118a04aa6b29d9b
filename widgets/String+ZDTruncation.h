#pragma once

#include <QFont>
#include <QString>

#include <functional>

// Line break modes the title truncation understands; any other value cuts in the middle.
inline constexpr unsigned kZDTruncateHead = 3;
inline constexpr unsigned kZDTruncateTail = 4;
inline constexpr unsigned kZDTruncateMiddle = 5;

// `title` made to fit `maxWidth` by putting "..." in place of a run of characters at its head,
// its tail or its middle (the run grows one character at a time, in the middle alternately on
// either side). Characters are whole graphemes: an emoji or an accented letter is kept or
// dropped as one. Answers the title itself when it fits and "..." alone when nothing does.
QString truncatedTitle(const QString& title, unsigned mode, double maxWidth,
                       const std::function<double(const QString&)>& measure);
QString truncatedTitle(const QString& title, const QFont& font, unsigned mode, double maxWidth);
