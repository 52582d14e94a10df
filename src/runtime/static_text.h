#pragma once
// A static text of a window definition: name, text, position and size in units, font and colour.
class QLabel;
class QString;
class QWidget;

namespace rt {

struct StaticText {
    const char *name;
    const char *text;
    int x, y, width, height;
    int points;
    int weight;
    long color;
};

// Creates the text as a label of `parent`, top-left aligned, in the font `face`.
QLabel *addStaticText(QWidget *parent, const StaticText &text, const QString &face);

} // namespace rt
